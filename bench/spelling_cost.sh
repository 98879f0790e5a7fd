#!/usr/bin/env bash
# What --spelling costs: a browser-rules audit writing the report against the same with --spelling, on the
# generated shop served by nginx on 127.0.0.1 (bench/nginx_site.sh). Runs alternate, ROUNDS of each; prints
# every run, the medians, their ratio, the spelling run's peak resident memory and how many pages report
# words.
#
# usage: bench/spelling_cost.sh [BUILD_DIR [ROUNDS [PAGES]]]
# Needs Debian's hunspell-en-us. Not run by CI.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-perf}
rounds=${2:-5}
pages=${3:-5000}
source "$root/bench/nginx_site.sh"
# The generated pages name no language, and their text is too short to tell one: they are declared English,
# for the plain audit as for the checked one.
find "$work/site" -type f -exec grep -l '<html>' {} + | xargs sed -i 's/<html>/<html lang=en>/'

declare -A times cpu
for round in $(seq "$rounds"); do
    for name in audit spelling; do
        flags=()
        [[ $name == spelling ]] && flags=(--spelling)
        start=$(date +%s.%N)
        TMPDIR=$work /usr/bin/time -f '%M %U %S' -o "$work/rss-$name" "$cli" --quiet --rules browser "${flags[@]}" \
            --report "$work/$name.csv" "$site" > "$work/$name.txt" 2> "$work/$name.err"
        end=$(date +%s.%N)
        took=$(echo "$end - $start" | bc -l)
        times[$name]="${times[$name]:-} $took"
        read -r rss user sys < <(tail -1 "$work/rss-$name")
        cpu[$name]="${cpu[$name]:-} $(echo "$user + $sys" | bc -l)"
        printf 'round %d %-8s %.3f s wall, %.2f s processor\n' "$round" "$name" "$took" "$(echo "$user + $sys" | bc -l)"
    done
done
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
a=$(echo "${times[audit]}" | median)
s=$(echo "${times[spelling]}" | median)
cmp -s "$work/audit.txt" "$work/spelling.txt" && same=yes || same=NO
printf 'pages %d listed %d (same list: %s)\n' "$pages" "$(wc -l < "$work/audit.txt")" "$same"
printf 'median audit %.3f s, with --spelling %.3f s: %.3f\n' "$a" "$s" "$(echo "$s / $a" | bc -l)"
printf 'median processor audit %.2f s, with --spelling %.2f s\n' "$(echo "${cpu[audit]}" | median)" \
    "$(echo "${cpu[spelling]}" | median)"
printf 'peak RSS audit %d KiB, spelling %d KiB\n' "$(tail -1 "$work/rss-audit" | cut -d' ' -f1)" \
    "$(tail -1 "$work/rss-spelling" | cut -d' ' -f1)"
printf 'pages with words reported: %d; notes: %s\n' "$(tr -d '\r' < "$work/spelling.csv" | awk -F, 'NR > 1 && $NF != ""' | wc -l)" \
    "$(cat "$work/spelling.err")"
