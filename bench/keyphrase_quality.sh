#!/usr/bin/env bash
# Key phrase quality against ground truth no one here wrote: the book index of postgresql-doc-15 (each
# page's index terms) and, as a weaker view, debian-handbook's meta keywords. Scores vortaxel-cli's
# key_phrases report column (when the build has it) and its title and anchor keyword files beside
# simple baselines, on the same pages and the same matching rule.
#
# usage: bench/keyphrase_quality.sh [--cli PATH] [--predictions CSV] [--handbook-predictions CSV]
#                                   [--no-crawl] [--no-handbook] [--cache DIR]
#                                   [--keep DIR] [--resamples N] [--self-check]
#   --cli PATH         vortaxel-cli to crawl with (default build/cli/vortaxel-cli)
#   --predictions CSV  also score a CSV with url and key_phrases columns (postgres pages); repeatable
#   --handbook-predictions CSV  the same for the handbook's pages
#   --no-crawl         score the baselines and --predictions only
#   --no-handbook      leave out the meta keywords view
#   --cache DIR        keep the baselines' phrases there between runs (default build/keyphrase-cache)
#   --keep DIR         write the crawls' outputs to DIR instead of a temporary directory
#   --self-check       run the scorer's own tests and exit
# Needs python3-snowballstemmer, postgresql-doc-15 and debian-handbook (scripts/install-deps.sh test).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
python=/usr/bin/python3 # Debian's, for its python3-snowballstemmer
export PYTHONDONTWRITEBYTECODE=1
score=$root/bench/keyphrase/score.py
pg_html=/usr/share/doc/postgresql-doc-15/html
handbook_html=/usr/share/doc/debian-handbook/html/en-US
cli=$root/build/cli/vortaxel-cli
crawl=1 handbook=1 keep='' resamples=10000 cache=$root/build/keyphrase-cache
extra=()
hb_extra=()
while [ $# -gt 0 ]; do
    case $1 in
    --cli) cli=$2; shift 2 ;;
    --predictions) extra+=(--predictions "$(basename "$2")=$(realpath "$2")"); shift 2 ;;
    --handbook-predictions) hb_extra+=(--predictions "$(basename "$2")=$(realpath "$2")"); shift 2 ;;
    --no-crawl) crawl=0; shift ;;
    --no-handbook) handbook=0; shift ;;
    --keep) keep=$2; shift 2 ;;
    --cache) cache=$2; shift 2 ;;
    --resamples) resamples=$2; shift 2 ;;
    --self-check) exec "$python" "$score" --self-check ;;
    *) echo "keyphrase_quality.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done

work=$(mktemp -d)
server_pid=
cleanup() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
out=${keep:-$work/out}
mkdir -p "$out"

# Serves DIR on a free loopback port; sets server_pid and port.
serve() {
    local log=$work/server-$2.log
    "$python" -u -m http.server --bind 127.0.0.1 --directory "$1" 0 > "$log" 2>&1 &
    server_pid=$!
    port=
    for _ in $(seq 100); do
        port=$(sed -n 's/^Serving HTTP on [0-9.]* port \([0-9]*\).*/\1/p' "$log")
        [ -n "$port" ] && return 0
        kill -0 "$server_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "keyphrase_quality.sh: the server for $1 did not start" >&2
    cat "$log" >&2
    exit 1
}

stop_server() {
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=
}

# Crawls a copy of DIR (less the files named after it) under browser rules, with its key phrases: NAME.found (standard
# output, the found list), NAME.report.csv, NAME.links.csv, NAME.title.txt and NAME.anchor.txt.
crawl_site() {
    local name=$1 dir=$2
    shift 2
    local copy=$work/site-$name
    mkdir -p "$copy"
    cp -r "$dir/." "$copy/"
    for f in "$@"; do rm -f "$copy/$f"; done
    serve "$copy" "$name"
    "$cli" --quiet --rules browser --key-phrases --db "$work/$name.db" --report "$out/$name.report.csv" \
        --links "$out/$name.links.csv" "http://127.0.0.1:$port/index.html" > "$out/$name.found"
    stop_server
    local source
    for source in title anchor; do
        "$cli" --quiet --rules browser --db "$work/$name.db" --offline --phrases "$source" \
            --keywords "$out/$name.$source.txt" > /dev/null
    done
    echo "$name: $(wc -l < "$out/$name.found") pages found" >&2
}

# The scorer's arguments for a crawl's outputs.
crawl_args() {
    local name=$1 label=$2
    local args=(--found "$out/$name.found" --report "$out/$name.report.csv" --links "$out/$name.links.csv"
        --keywords "title=$out/$name.title.txt" --keywords "anchor=$out/$name.anchor.txt")
    if head -n 1 "$out/$name.report.csv" | tr -d '\r' | tr ',' '\n' | grep -qx key_phrases; then
        args+=(--predictions "$label=$out/$name.report.csv")
    fi
    printf '%s\n' "${args[@]}"
}

pg_args=("${extra[@]}")
hb_args=("${hb_extra[@]}")
if [ "$crawl" = 1 ]; then
    [ -x "$cli" ] || { echo "keyphrase_quality.sh: no vortaxel-cli at $cli (--cli PATH, or --no-crawl)" >&2; exit 2; }
    # The index's anchors are its terms: the crawl must not see it.
    crawl_site postgres "$pg_html" bookindex.html
    mapfile -t more < <(crawl_args postgres "vortaxel key phrases")
    pg_args+=("${more[@]}")
    if [ "$handbook" = 1 ]; then
        crawl_site handbook "$handbook_html"
        mapfile -t more < <(crawl_args handbook "vortaxel key phrases")
        hb_args+=("${more[@]}")
    fi
fi

"$python" "$score" --index "$pg_html/bookindex.html" --resamples "$resamples" --cache "$cache" "${pg_args[@]}"
if [ "$handbook" = 1 ]; then
    echo
    "$python" "$score" --meta-keywords "$handbook_html" --resamples "$resamples" --cache "$cache" "${hb_args[@]}"
fi
