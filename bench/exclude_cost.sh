#!/usr/bin/env bash
# What fifty --exclude patterns cost a browser-rules crawl: a plain crawl against one with fifty patterns
# that exclude nothing, so both request the same pages and the difference is the matching alone, on the
# generated shop served by nginx on 127.0.0.1. Runs alternate, ROUNDS of each; prints every run, the
# medians and their ratio, and checks that both listed the same pages.
#
# usage: bench/exclude_cost.sh [BUILD_DIR [ROUNDS [PAGES]]]
# Installs nginx from Debian's packages when it is missing (needs root). Not run by CI.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-perf}
rounds=${2:-11}
pages=${3:-5000}
source "$root/bench/nginx_site.sh"

# Fifty patterns of the kinds users write: folders, parameters, file types, anchored and not.
patterns=()
for i in $(seq 0 49); do
    case $((i % 5)) in
        0) patterns+=(--exclude "/never-folder-$i/") ;;
        1) patterns+=(--exclude "[?&]never_param_$i=") ;;
        2) patterns+=(--exclude "(?i)\\.never$i\$") ;;
        3) patterns+=(--exclude "^https?://never-host-$i\\.") ;;
        4) patterns+=(--exclude "/(never|nowhere)-$i-[0-9]+\\.html\$") ;;
    esac
done

declare -A times
for round in $(seq "$rounds"); do
    for name in plain exclude; do
        start=$(date +%s.%N)
        if [[ $name == plain ]]; then
            "$cli" --quiet --rules browser "$site" > "$work/plain.txt"
        else
            "$cli" --quiet --rules browser "${patterns[@]}" "$site" > "$work/exclude.txt"
        fi
        end=$(date +%s.%N)
        took=$(echo "$end - $start" | bc -l)
        times[$name]="${times[$name]:-} $took"
        printf 'round %d %-7s %.3f s\n' "$round" "$name" "$took"
    done
done
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
p=$(echo "${times[plain]}" | median)
e=$(echo "${times[exclude]}" | median)
cmp -s "$work/plain.txt" "$work/exclude.txt" && same=yes || same=NO
printf 'pages %s  plain %.3f s  fifty excludes %.3f s  ratio %.3f  same pages: %s\n' \
    "$(wc -l < "$work/plain.txt")" "$p" "$e" "$(echo "$e / $p" | bc -l)" "$same"
