#!/usr/bin/env bash
# Sets up, builds and starts Wendar. Until the window exists this is wendar-cli on the default
# application directory (build/bin/): the check items and the presets, then any command you pass.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target wendar-cli wendar_runtime
if [ $# -gt 0 ]; then
    exec build/bin/wendar-cli "$@"
fi
build/bin/wendar-cli items
build/bin/wendar-cli presets
