#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer. Any report ends
# the process that made it with a failure, so it fails its test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORTAXEL_ASAN_BUILD_DIR:-$root/build-asan}
jobs=${VORTAXEL_JOBS:-$(nproc)}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORTAXEL_SANITIZE=ON \
    -DVORTAXEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$jobs"

# Leaks are reported too; the suppressions cover system libraries that keep caches for the life of the
# process on purpose, each named in the file with its reason.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=0:strict_init_order=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" --timeout 900
