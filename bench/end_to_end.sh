#!/usr/bin/env bash
# vortaxel-cli against wget and curl on a 5,000-page static shop served by nginx on 127.0.0.1.
# Runs alternate, ROUNDS of each; prints every run, the medians and the ratios.
#
# usage: bench/end_to_end.sh [BUILD_DIR [ROUNDS [PAGES]]]
# Installs nginx from Debian's packages when it is missing (needs root). Not run by CI.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-perf}
rounds=${2:-5}
pages=${3:-5000}
source "$root/bench/nginx_site.sh"

# curl: the same pages one after another over one kept-alive connection.
awk '{ print "url = \"" $0 "\"\noutput = \"/dev/null\"" }' "$work/urls.txt" > "$work/curl.cfg"

declare -A times cpu
names=(vortaxel vortaxel-report vortaxel-p8 wget curl)
run() {
    case $1 in
    # CPU time too: on a shared machine it varies far less than the wall clock.
    vortaxel) /usr/bin/time -f '%U %S' -o "$work/cpu" "$cli" --quiet "$site" > "$work/found.txt" ;;
    vortaxel-report)
        /usr/bin/time -f '%U %S' -o "$work/cpu" "$cli" --quiet --report "$work/report.csv" "$site" > "$work/found-report.txt" ;;
    vortaxel-p8) "$cli" --quiet --parallel 8 "$site" > "$work/found-p8.txt" ;;
    wget) (cd "$work" && wget --spider -r -l inf -nd -q "$site" || true) ;;
    curl) curl -s -K "$work/curl.cfg" ;;
    esac
}
for round in $(seq "$rounds"); do
    for name in "${names[@]}"; do
        start=$(date +%s.%N)
        run "$name"
        end=$(date +%s.%N)
        took=$(echo "$end - $start" | bc -l)
        times[$name]="${times[$name]:-} $took"
        if [[ $name == vortaxel || $name == vortaxel-report ]]; then
            cpu[$name]="${cpu[$name]:-} $(awk '{ print $1 + $2 }' "$work/cpu")"
        fi
        printf 'round %d %-12s %.3f s\n' "$round" "$name" "$took"
    done
done

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
found=$(wc -l < "$work/found.txt")
cmp -s "$work/found.txt" "$work/found-p8.txt" && same=yes || same=NO
echo "pages $pages, found by vortaxel-cli $found, --parallel 8 lists the same: $same"
v=$(echo "${times[vortaxel]}" | median)
r=$(echo "${times[vortaxel-report]}" | median)
p=$(echo "${times[vortaxel-p8]}" | median)
w=$(echo "${times[wget]}" | median)
c=$(echo "${times[curl]}" | median)
printf 'median vortaxel-cli %.3f s, --parallel 8 %.3f s, wget %.3f s, curl %.3f s\n' "$v" "$p" "$w" "$c"
printf 'median with --report %.3f s: %.3f of the plain run (target <= 1.05), %d report rows\n' \
    "$r" "$(echo "$r / $v" | bc -l)" "$(($(wc -l < "$work/report.csv") - 1))"
printf 'CPU median: plain %.3f s, with --report %.3f s\n' "$(echo "${cpu[vortaxel]}" | median)" \
    "$(echo "${cpu[vortaxel-report]}" | median)"
printf 'vortaxel-cli / wget = %.2f (target <= 0.5); vortaxel-cli / curl = %.2f (target <= 1.3)\n' \
    "$(echo "$v / $w" | bc -l)" "$(echo "$v / $c" | bc -l)"
