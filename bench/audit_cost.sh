#!/usr/bin/env bash
# The audit's cost under browser rules: a plain browser-rules crawl against one that keeps every page's
# facts and links on disk and writes the report, the links file and the summary, on a generated shop
# served by nginx on 127.0.0.1. Runs alternate, ROUNDS of each; prints every run, the medians, the
# ratio, and the audit run's peak resident memory.
#
# usage: bench/audit_cost.sh [BUILD_DIR [ROUNDS [PAGES]]]
# Installs nginx from Debian's packages when it is missing (needs root). Not run by CI.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-perf}
rounds=${2:-5}
pages=${3:-5000}
source "$root/bench/nginx_site.sh"

declare -A times
for round in $(seq "$rounds"); do
    for name in plain kept audit; do
        start=$(date +%s.%N)
        if [[ $name == plain ]]; then
            "$cli" --quiet --rules browser "$site" > "$work/plain.txt"
        elif [[ $name == kept ]]; then
            # Keeping the crawl alone, no audit output: what the recording costs.
            rm -f "$work/kept.db"
            "$cli" --quiet --rules browser --db "$work/kept.db" "$site" > /dev/null
        else
            TMPDIR=$work /usr/bin/time -f '%M' -o "$work/rss" "$cli" --rules browser --report "$work/r.csv" \
                --links "$work/l.csv" "$site" > "$work/audit.txt" 2> "$work/summary.txt"
        fi
        end=$(date +%s.%N)
        took=$(echo "$end - $start" | bc -l)
        times[$name]="${times[$name]:-} $took"
        printf 'round %d %-6s %.3f s\n' "$round" "$name" "$took"
    done
done
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
p=$(echo "${times[plain]}" | median)
a=$(echo "${times[audit]}" | median)
cmp -s "$work/plain.txt" "$work/audit.txt" && same=yes || same=NO
printf 'pages %d listed %d (same list: %s), links %d\n' "$pages" "$(wc -l < "$work/plain.txt")" "$same" \
    "$(($(wc -l < "$work/l.csv") - 1))"
k=$(echo "${times[kept]}" | median)
printf 'median plain %.3f s, kept in --db %.3f s, audit %.3f s: %.3f (goal <= 1.25)\n' "$p" "$k" "$a" \
    "$(echo "$a / $p" | bc -l)"
printf 'audit run peak RSS %d KiB\n' "$(tail -1 "$work/rss")"
