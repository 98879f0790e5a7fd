#!/usr/bin/env bash
# Pages a second a rendering crawl shows in headless Chromium, at --parallel 1 and 4, against the raw crawl of
# the same site, and the peak memory of the whole process tree (vortaxel-cli and every browser process under
# it), on a generated client-rendered site served by Python's http.server on 127.0.0.1: each page's
# navigation is written by a script the page loads, so a crawl that does not render finds the start page alone.
# Prints one line per run. Not run by CI.
#
# usage: bench/render_cost.sh [BUILD_DIR [PAGES]]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
pages=${2:-100}
cli=$build/cli/vortaxel-cli
site=$(mktemp -d)
trap 'kill "$server" 2>/dev/null || true; rm -rf "$site"' EXIT

# Page i links to pages 2i+1 and 2i+2 (a tree, every page reachable), all by script.
cat > "$site/nav.js" <<'JS'
addEventListener('DOMContentLoaded', function () {
  var i = Number(document.body.dataset.page), n = Number(document.body.dataset.pages), html = '';
  [2 * i + 1, 2 * i + 2].forEach(function (k) { if (k < n) html += '<a href="/p' + k + '.html">Page ' + k + '</a>'; });
  document.getElementById('nav').innerHTML = html;
  document.title = 'Page ' + i;
});
JS
for i in $(seq 0 $((pages - 1))); do
    printf '<!doctype html><html><head><title>Loading</title><script src="/nav.js"></script></head><body data-page="%d" data-pages="%d"><div id="nav"></div><p>Content of page %d.</p></body></html>\n' \
        "$i" "$pages" "$i" > "$site/p$i.html"
done
cp "$site/p0.html" "$site/index.html"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site" > /dev/null 2>&1 &
server=$!
for _ in $(seq 100); do
    curl -sf "http://127.0.0.1:$port/" > /dev/null && break
    sleep 0.1
done

# Resident memory of a process and all its descendants, in KiB.
tree_rss() {
    local pids=("$1") all=() p
    while ((${#pids[@]})); do
        p=${pids[0]}
        pids=("${pids[@]:1}")
        all+=("$p")
        mapfile -t -O "${#pids[@]}" pids < <(pgrep -P "$p" || true)
    done
    local total=0 kb
    for p in "${all[@]}"; do
        kb=$(awk '/^VmRSS:/ {print $2}' "/proc/$p/status" 2>/dev/null || echo 0)
        total=$((total + ${kb:-0}))
    done
    echo "$total"
}

run() {
    local label=$1
    shift
    local report=$site/report.csv start end peak=0 rss
    start=$(date +%s.%N)
    "$cli" --rules browser --quiet --report "$report" "$@" "http://127.0.0.1:$port/" > /dev/null &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        rss=$(tree_rss "$pid")
        ((rss > peak)) && peak=$rss
        sleep 0.2
    done
    wait "$pid"
    end=$(date +%s.%N)
    local found
    found=$(($(wc -l < "$report") - 1))
    awk -v l="$label" -v n="$found" -v s="$start" -v e="$end" -v m="$peak" \
        'BEGIN { printf "%-22s %4d pages %7.2f s %7.2f pages/s  peak tree %6.0f MiB\n", l, n, e - s, n / (e - s), m / 1024 }'
}

run "raw" --parallel 1
run "rendered, --parallel 1" --render --parallel 1
run "rendered, --parallel 4" --render --parallel 4
