#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each for a bounded time (VORTAXEL_FUZZ_SECONDS,
# 20 by default) from its seed corpus. Any finding fails the run and is kept under build-fuzz/findings;
# copy it into fuzz/corpus/<target>/ so that every build replays it from then on. The seed is fixed
# (VORTAXEL_FUZZ_SEED, 1 by default) so that a run repeats what the last one tried: a finding then says
# something about the change, not about luck. Give another seed, or a longer time, to search further.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORTAXEL_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${VORTAXEL_FUZZ_SECONDS:-20}
seed=${VORTAXEL_FUZZ_SEED:-1}
targets=(extract_links keyword_phrase output_escape browser_links robots_rules sitemap_reader audit_text)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORTAXEL_FUZZ=ON \
    -DVORTAXEL_BUILD_GUI=OFF -DVORTAXEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"${VORTAXEL_JOBS:-$(nproc)}" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for target in "${targets[@]}"; do
    # Inputs the fuzzer finds interesting go to a scratch copy; the committed corpus only grows by hand.
    work="$build/corpus-work/$target"
    findings="$build/findings/$target"
    mkdir -p "$work" "$findings"
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -seed="$seed" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -dict="$root/fuzz/links.dict" -artifact_prefix="$findings/" -print_final_stats=1 \
        "$work" "$root/fuzz/corpus/$target" >"$build/fuzz-$target.log" 2>&1; then
        echo "fuzz_$target found a fault; see $build/fuzz-$target.log and $findings" >&2
        tail -n 40 "$build/fuzz-$target.log" >&2
        status=1
    else
        echo "fuzz_$target: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz-$target.log" | grep -o '[0-9]*$') runs, no finding"
    fi
done
exit $status
