#!/usr/bin/env bash
# Sets up, builds and starts Wendar: the desktop program on the default application directory
# (build/bin/). With arguments it runs wendar-cli with them instead (./scripts/run.sh items).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target wendar wendar-cli wendar_runtime
if [ $# -gt 0 ]; then
    exec build/bin/wendar-cli "$@"
fi
exec build/bin/wendar
