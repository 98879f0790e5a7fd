#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer. Any report ends
# the process that made it with a failure, so it fails its test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORTAXEL_ASAN_BUILD_DIR:-$root/build-asan}
jobs=${VORTAXEL_JOBS:-$(nproc)}

# -O1 and line tables only, as the sanitizers' own documentation suggests: stack traces keep their file
# and line, and the build takes markedly less time than the release flags would.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORTAXEL_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DVORTAXEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$jobs"

# Leaks fail a test too, with no suppressions: Qt on the offscreen platform frees what it allocates.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:strict_init_order=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" --timeout 900
