#!/usr/bin/env bash
# Fresh machine to green: checks the format, installs what is missing (root or sudo), builds everything,
# runs clang-tidy over the sources and the whole test suite; then runs the suite again under the
# sanitizers and gives each fuzz target a bounded run. VORTAXEL_QUICK=1 stops after the first pass.
set -euo pipefail
# Each pass says when it ended, so that the run's time can be read from its log.
started=$SECONDS
phase() { echo "== $1 done at $((SECONDS - started)) s"; }
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" test
phase "installing"
"$root/scripts/check-format.sh"
cmake -P "$root/cmake/print_layers.cmake"
"$root/scripts/build.sh" -DVORTAXEL_BUILD_TESTS=ON -DVORTAXEL_BUILD_BENCHMARKS=ON
phase "building"
build=${VORTAXEL_BUILD_DIR:-$root/build}
"$root/scripts/tidy.sh"
phase "clang-tidy"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 600)
phase "the tests"
if [ "${VORTAXEL_QUICK:-0}" = 1 ]; then
    exit 0
fi
echo "== sanitizer build"
"$root/scripts/test-sanitized.sh"
phase "the sanitizer build and its tests"
echo "== fuzzing"
"$root/scripts/fuzz.sh"
phase "fuzzing"
