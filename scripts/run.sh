#!/usr/bin/env bash
# Sets up, builds and starts Wendar: installs what building and running need (no test frameworks, no
# test servers), builds both programs without the tests and benchmarks, and starts the desktop
# program. wendar-cli is built beside it (build/bin/wendar-cli). User data lives in
# ~/.local/share/wendar, apart from the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWENDAR_TESTS=OFF -DWENDAR_BENCHMARKS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target wendar wendar-cli wendar_runtime
exec build/bin/wendar "$@"
