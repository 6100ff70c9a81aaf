#!/usr/bin/env bash
# Sets up, builds and runs every test: once as built (the unit and GUI tests a second time with
# the CPU loaded), once under AddressSanitizer and
# UndefinedBehaviorSanitizer, the threaded parts once more under ThreadSanitizer. Also builds the
# benchmarks and the fuzzers and runs each fuzzer briefly, and makes the Debian package, installs it,
# runs it as an unprivileged user and removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
    echo "scripts/test.sh must run as root: the mail tests start a private Dovecot, and the package test" >&2
    echo "installs and removes the .deb with apt-get. Run: su -c scripts/test.sh  (or: sudo scripts/test.sh)" >&2
    exit 1
fi
scripts/install-deps.sh --tests
jobs=$(nproc)

# Formatting first: it takes a second and says exactly what is off.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
export LSAN_OPTIONS="suppressions=$PWD/.ci/lsan.supp:print_suppressions=0"
# The web engine's own code frees with mismatched sizes; that check is left to its makers.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:new_delete_type_mismatch=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Tests and benchmarks named: scripts/run.sh configures the same tree without them.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWENDAR_TESTS=ON -DWENDAR_BENCHMARKS=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")
# The unit and GUI tests once more on a loaded machine, two busy loops per core: a test that waits
# on the machine's speed instead of an event fails here. The loops end with the script, always.
busy=()
stop_busy() {
    for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
    busy=()
}
trap stop_busy EXIT
for _ in $(seq $((2 * jobs))); do
    (while :; do :; done) &
    busy+=($!)
done
(cd build && ctest --output-on-failure -j"$jobs" -L 'unit|gui')
stop_busy
scripts/package-test.sh build

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DWENDAR_SANITIZE=ON -DWENDAR_TESTS=ON -DWENDAR_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j"$jobs"
# The end-to-end sessions drive the real program under X and AT-SPI, whose libraries leak at exit;
# they ran on the plain build above.
(cd build-asan && ctest --output-on-failure -j"$jobs" -LE e2e)

# The check worker, the sound thread and the CLI's signal handling under ThreadSanitizer.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DWENDAR_TSAN=ON -DWENDAR_TESTS=ON -DWENDAR_BENCHMARKS=OFF >/dev/null
cmake --build build-tsan -j"$jobs" --target app_tests cli_tests wendar-cli
export TSAN_OPTIONS="halt_on_error=1:suppressions=$PWD/.ci/tsan.supp"
build-tsan/bin/app_tests --gtest_brief=1
build-tsan/bin/cli_tests --gtest_brief=1

if compgen -G "fuzz/*_fuzz.cpp" >/dev/null; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWENDAR_FUZZERS=ON \
        -DWENDAR_TESTS=OFF -DWENDAR_BENCHMARKS=OFF >/dev/null
    cmake --build build-fuzz -j"$jobs"
    for fuzzer in build-fuzz/bin/*_fuzz; do
        # Every fuzzer starts from its checked-in seeds; the working corpus grows beside them.
        seeds="fuzz/seeds/$(basename "$fuzzer")"
        [ -n "$(ls -A "$seeds" 2>/dev/null)" ] || { echo "fuzzer $fuzzer has no seeds in $seeds"; exit 1; }
        corpus="fuzz/corpus/$(basename "$fuzzer")"
        mkdir -p "$corpus"
        cp -n "$seeds"/* "$corpus"/
        "$fuzzer" -max_total_time=20 -timeout=5 -rss_limit_mb=2048 "$corpus" -print_final_stats=0 >/dev/null 2>&1 ||
            { echo "fuzzer $fuzzer failed"; "$fuzzer" -max_total_time=5 "$corpus"; exit 1; }
        echo "fuzzer $(basename "$fuzzer"): no crash in 20 s"
    done
fi

# Every stage above stops the script on a failure; reaching here means all of them passed.
total=$(cd build && ctest -N | sed -n 's/^Total Tests: //p')
echo "tests: ${total} passed, 0 failed"
