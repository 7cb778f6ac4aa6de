#!/usr/bin/env bash
# Serves a built site on the loopback through nginx, with the site configuration the release
# ships (packaging/web/nginx-site.conf) changed in two lines only, its address and its folder:
# what scripts/web.sh --serve and the browser tests get is what a server set up from the release
# sends. PERNADAS_NGINX_SITE=FILE takes another copy of it (a release's, unpacked).
#
#   bash scripts/serve.sh SITE [PORT]     (PORT 0 takes a free one; 8015 unless told)
#
# It prints "Serving on http://127.0.0.1:PORT/ (Ctrl-C stops)" once listening, then one line a
# response on standard output: "GET /pernadas.wasm 200 br 60611 173" (method, path, status,
# encoding or "-", the bytes of the body and of the headers). The browser tests read those lines.
# nginx runs as whoever starts this, in the foreground, with its pid, log and scratch files in a
# folder of its own that goes when it stops. SITE may be a link: each request follows it afresh.
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: bash scripts/serve.sh SITE [PORT]   (PORT 0 takes a free one; 8015 unless told)" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
site=$(realpath -s "$1")
port=${2:-8015}
module=/usr/lib/nginx/modules/ngx_http_brotli_static_module.so
if ! command -v nginx >/dev/null || [ ! -f "$module" ]; then
    echo "serve.sh: nginx and its brotli module are missing; run bash scripts/deps.sh" >&2
    exit 1
fi
[ -d "$site" ] || { echo "serve.sh: $site is not a folder" >&2; exit 1; }
# nginx would read a quote, a dollar sign or a backslash in the folder's name as its own.
case $site in
    *[\"\$\\]*) echo "serve.sh: nginx cannot be given a folder named $site" >&2; exit 1 ;;
esac

# The shipped configuration with the address and the folder filled in, and nothing else changed;
# a configuration without those lines is refused rather than served half-changed.
shopt -u patsub_replacement 2>/dev/null || true
shipped_file=${PERNADAS_NGINX_SITE:-$here/../packaging/web/nginx-site.conf}
shipped=$(<"$shipped_file")
for line in "listen 80 default_server;" "listen [::]:80 default_server;" \
    "root /var/www/pernadas/site;"; do
    if [[ $shipped != *"    $line"* ]]; then
        echo "serve.sh: $shipped_file has no line \"$line\" to fill in" >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/pernadas-nginx-XXXXXX")
nginx_pid="" reader_pid=""
stop() {
    local pid
    for pid in $nginx_pid $reader_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    nginx_pid="" reader_pid=""
    rm -rf "$work"
}
trap 'stop; exit 0' INT TERM
trap stop EXIT

# A port in the kernel's range for ones it hands out, where nothing answers now.
free_port() {
    local p
    while :; do
        p=$((32768 + RANDOM % 28000))
        (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null || break
    done
    echo "$p"
}

# Workers run as the master's user; root's would otherwise be nobody, who cannot read the site.
user=""
[ "$(id -u)" != 0 ] || user="user $(id -un) $(id -gn);"

# One try on PORT; 0 picks a free port, and picks again should another program take it first.
start() {
    local listen
    listen=$1
    local conf=${shipped/"    listen 80 default_server;"/"    listen 127.0.0.1:$listen;"}
    conf=${conf/"    listen [::]:80 default_server;"$'\n'/}
    conf=${conf/"    root /var/www/pernadas/site;"/"    root \"$site\";"}
    printf '%s\n' "$conf" >"$work/site.conf"
    cat >"$work/nginx.conf" <<EOF
load_module $module;
daemon off;
worker_processes 1;
pid $work/nginx.pid;
error_log stderr;
$user
events { worker_connections 256; }
http {
    log_format pernadas '\$request_method \$request_uri \$status \$sent_http_content_encoding \$body_bytes_sent \$bytes_sent';
    access_log $work/responses pernadas;
    log_not_found off;
    # An answer is logged once its connection is done with: without this, a refused request's
    # line would come seconds late, while nginx waits for the client to close.
    lingering_close off;
    client_body_temp_path $work/body;
    proxy_temp_path $work/proxy;
    fastcgi_temp_path $work/fastcgi;
    uwsgi_temp_path $work/uwsgi;
    scgi_temp_path $work/scgi;
    include $work/site.conf;
}
EOF
    rm -f "$work/responses"
    mkfifo "$work/responses"
    # One line a response: the access log, read from a pipe, with the headers' bytes worked out.
    while read -r method path status encoding body total; do
        printf '%s %s %s %s %s %s\n' "$method" "$path" "$status" "$encoding" "$body" $((total - body))
    done <"$work/responses" &
    reader_pid=$!
    nginx -p "$work" -e stderr -c "$work/nginx.conf" &
    nginx_pid=$!
    # Listening once a connection is taken (a connection that asks nothing is not logged).
    until (exec 3<>"/dev/tcp/127.0.0.1/$listen") 2>/dev/null; do
        if ! kill -0 "$nginx_pid" 2>/dev/null; then
            wait "$nginx_pid" 2>/dev/null || true
            nginx_pid=""
            kill "$reader_pid" 2>/dev/null || true
            wait "$reader_pid" 2>/dev/null || true
            reader_pid=""
            return 1
        fi
        sleep 0.05
    done
    port=$listen
}
if [ "$port" = 0 ]; then
    tries=0
    until start "$(free_port)"; do
        tries=$((tries + 1))
        [ "$tries" -lt 10 ] || { echo "serve.sh: nginx did not start" >&2; exit 1; }
    done
else
    start "$port" || { echo "serve.sh: nginx did not start on port $port" >&2; exit 1; }
fi
echo "Serving on http://127.0.0.1:$port/ (Ctrl-C stops)"
# Until nginx stops, or this is told to stop it.
wait "$nginx_pid" || status=$?
nginx_pid=""
exit "${status:-0}"
