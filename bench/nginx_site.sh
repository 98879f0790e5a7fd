# Sourced by the end-to-end benchmarks: checks the tools in $build, writes the generated shop of $pages
# pages (with $extra_links more links a page when set) as static files under a new folder $work and serves it with nginx on 127.0.0.1 at $site until the
# script exits. Installs nginx from Debian's packages when it is missing (needs root).
cli=$build/cli/vortaxel-cli
writer=$build/bench/vortaxel-write-site
for tool in "$cli" "$writer"; do
    [[ -x $tool ]] || { echo "missing $tool: build the Release tree first" >&2; exit 1; }
done
if ! command -v nginx >/dev/null; then
    apt-get install -y nginx >/dev/null || { apt-get update >/dev/null && apt-get install -y nginx >/dev/null; }
fi
nginx=$(command -v nginx)

work=$(mktemp -d)
# nginx hands requests to workers running as an unprivileged user, who must be able to read the site.
chmod 755 "$work"
nginx_pid=
cleanup() {
    if [[ -n $nginx_pid ]]; then
        kill "$nginx_pid" 2>/dev/null || true
        wait "$nginx_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
site="http://127.0.0.1:$port/"
"$writer" "$work/site" "$pages" "$site" ${extra_links:+"$extra_links"} > "$work/urls.txt"

mkdir -p "$work/nginx/logs"
cat > "$work/nginx/nginx.conf" <<CONF
worker_processes 1;
error_log $work/nginx/logs/error.log;
pid $work/nginx/nginx.pid;
events { worker_connections 256; }
http {
    default_type text/html;
    access_log off;
    sendfile on;
    tcp_nodelay on;
    keepalive_requests 1000000;
    keepalive_timeout 60;
    client_body_temp_path $work/nginx/body;
    proxy_temp_path $work/nginx/proxy;
    fastcgi_temp_path $work/nginx/fastcgi;
    uwsgi_temp_path $work/nginx/uwsgi;
    scgi_temp_path $work/nginx/scgi;
    server {
        listen 127.0.0.1:$port;
        root $work/site;
        index index.html;
    }
}
CONF
"$nginx" -p "$work/nginx" -c "$work/nginx/nginx.conf" -g 'daemon off;' &
nginx_pid=$!
for _ in $(seq 50); do
    curl -sf -o /dev/null "$site" && break
    sleep 0.1
done

