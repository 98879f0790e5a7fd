#!/usr/bin/env bash
# Fresh machine to green: checks the format, installs what is missing (root or sudo), builds everything,
# runs clang-tidy over the sources and the whole test suite; then runs the suite again under the
# sanitizers and gives each fuzz target a bounded run. VORTAXEL_QUICK=1 stops after the first pass.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" test
"$root/scripts/check-format.sh"
"$root/scripts/build.sh" -DVORTAXEL_BUILD_TESTS=ON -DVORTAXEL_BUILD_BENCHMARKS=ON
build=${VORTAXEL_BUILD_DIR:-$root/build}
"$root/scripts/tidy.sh"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 600)
if [ "${VORTAXEL_QUICK:-0}" = 1 ]; then
    exit 0
fi
echo "== sanitizer build"
"$root/scripts/test-sanitized.sh"
echo "== fuzzing"
"$root/scripts/fuzz.sh"
