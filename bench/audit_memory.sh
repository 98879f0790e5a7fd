#!/usr/bin/env bash
# Peak resident memory of one audit run under browser rules (--report, --links and the summary, the link
# graph kept in a temporary crawl database) over a generated shop served by nginx on 127.0.0.1, with 20
# more links a page than the shop's 30 by default. Prints the pages and links, the wall time and the peak.
#
# usage: bench/audit_memory.sh [BUILD_DIR [PAGES [EXTRA_LINKS]]]
# Installs nginx from Debian's packages when it is missing (needs root). Not run by CI.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-perf}
pages=${2:-100000}
extra_links=${3:-20}
source "$root/bench/nginx_site.sh"

start=$(date +%s.%N)
TMPDIR=$work /usr/bin/time -f '%M' -o "$work/rss" "$cli" --rules browser --report "$work/r.csv" \
    --links "$work/l.csv" "$site" > "$work/audit.txt" 2> "$work/summary.txt"
end=$(date +%s.%N)
printf 'pages %d listed %d, links %d, %.1f s\n' "$pages" "$(wc -l < "$work/audit.txt")" \
    "$(($(wc -l < "$work/l.csv") - 1))" "$(echo "$end - $start" | bc -l)"
printf 'audit run peak RSS %d KiB (goal < 200 MB)\n' "$(tail -1 "$work/rss")"
