#!/usr/bin/env bash
# Sets up, builds and starts Wendar: installs what building and running need (no test frameworks, no
# test servers), builds the programs without the tests and benchmarks, and starts the desktop
# program. Until the window exists it starts wendar-cli: the check items and the presets, or the
# command you pass. User data lives in ~/.local/share/wendar, apart from the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWENDAR_TESTS=OFF -DWENDAR_BENCHMARKS=OFF >/dev/null
if [ -f src/gui/main.cpp ]; then
    cmake --build build -j"$(nproc)" --target wendar wendar-cli wendar_runtime
    exec build/bin/wendar "$@"
fi
cmake --build build -j"$(nproc)" --target wendar-cli wendar_runtime
if [ $# -gt 0 ]; then
    exec build/bin/wendar-cli "$@"
fi
build/bin/wendar-cli items
build/bin/wendar-cli presets
