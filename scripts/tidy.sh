#!/usr/bin/env bash
# Runs clang-tidy with the checks in .clang-tidy over the project's own sources and headers, as the
# build's compile_commands.json compiles them (generated files left out). Prints each finding once,
# then their count and the time taken; fails when there is any finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORTAXEL_BUILD_DIR:-$root/build}
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy: no $build/compile_commands.json; build first (scripts/build.sh)" >&2
    exit 2
fi
build=$(cd "$build" && pwd)
# Both arguments below are regular expressions: a dot in the checkout's path must match only a dot.
# The programs' own code is checked. The tests, benchmarks and fuzz targets are not: they were three fifths of
# the checker's time, they are built with warnings as errors and run under the sanitizers, and a finding in
# them says little about the program.
quote() { printf '%s' "$1" | sed 's/[][\.*^$+?(){}|]/\\&/g'; }
folders="(analysis|app|cli|crawl|export|net|platform|render|services|store|text|tools|ui|web)"
own="^$(quote "$root")/$folders/"
# A library reaches the headers of the folders below it through its layer's links in the build tree
# (cmake/layers.cmake), so that is the path their findings carry; they are shown at their place in the checkout.
layers="$(quote "$build")/layers/[a-z_]+"
headers="^($(quote "$root")|$layers)/$folders/"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
started=$SECONDS
status=0
# The build's flags are GCC's; clang-tidy parses with clang, which does not know all of GCC's warnings.
run-clang-tidy-14 -quiet -clang-tidy-binary clang-tidy-14 -p "$build" -j"$(nproc)" \
    -extra-arg=-Wno-unknown-warning-option -header-filter="$headers" "$own" >"$log" 2>&1 || status=$?
# A header's finding is reported by every file that includes it: show it once, without colours.
findings=$(sed -E 's/\x1b\[[0-9;]*m//g; s#^'"$layers"'/#'"$root"'/#' "$log" | grep -E '^/.*:[0-9]+:[0-9]+: (warning|error): ' | sort -u || true)
elapsed=$((SECONDS - started))
if [ -n "$findings" ]; then
    echo "== clang-tidy findings (details: clang-tidy-14 -p $build FILE)"
    echo "$findings"
    echo "== clang-tidy: $(echo "$findings" | wc -l) finding(s) in ${elapsed}s"
    exit 1
fi
if [ "$status" -ne 0 ]; then
    sed 's/\x1b\[[0-9;]*m//g' "$log" | tail -40
    echo "== clang-tidy failed (status $status) in ${elapsed}s" >&2
    exit 1
fi
echo "== clang-tidy: no findings in ${elapsed}s"
