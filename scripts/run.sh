#!/usr/bin/env bash
# Fresh machine to a working demo: installs what building and running needs (root or sudo), builds only the
# programs it runs, and shows Vortaxel at its job on the sample site that ships with it, served on 127.0.0.1
# (no internet needed). With a display it opens the window; without one it crawls from the command line and
# prints the pages found and their keyword phrases.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORTAXEL_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh" run
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${VORTAXEL_BUILD_TYPE:-RelWithDebInfo} \
    -DVORTAXEL_BUILD_GUI=ON -DVORTAXEL_BUILD_TESTS=OFF -DVORTAXEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target vortaxel vortaxel-cli vortaxel-sample-server vortaxel_clip_file

server_out=$(mktemp)
work=$(mktemp -d)
"$build/tools/vortaxel-sample-server" "$root/sample-site" --seconds 3600 >"$server_out" &
server_pid=$!
cleanup() {
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    rm -rf "$server_out" "$work"
}
trap cleanup EXIT

url=""
for _ in $(seq 1 50); do
    url=$(head -n 1 "$server_out")
    [ -n "$url" ] && break
    sleep 0.1
done
if [ -z "$url" ]; then
    echo "The sample site's server did not start." >&2
    exit 1
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$build/ui/vortaxel" ]; then
    echo "The sample site is served at $url - type it into the URL field and press Enter."
    "$build/ui/vortaxel"
    exit 0
fi

echo "Crawling the sample site at $url"
echo
"$build/cli/vortaxel-cli" --keywords "$work/keywords.txt" "$url"
echo
echo "Keyword phrases written to the export file:"
tr -d '\r' <"$work/keywords.txt" | sed 's/^/  /'
