#!/usr/bin/env bash
# The calculators in a web browser: builds the model (the forms runtime, the calculators, the
# shell and the about dialog, as they are) with emscripten into WebAssembly, and the static site
# around it into build-web/site/ (PERNADAS_WEB_OUT=DIR builds into DIR/site/ instead). Installs
# nothing: scripts/deps.sh does (scripts/packages/web.txt).
#
#   bash scripts/web.sh           build the site
#   bash scripts/web.sh --serve   build it, then serve it on http://127.0.0.1:8015/ (PORT to change)
#                                 through nginx with the site configuration the release ships
#                                 (scripts/serve.sh)
#   bash scripts/web.sh --test    build it, then test it in headless Chromium
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
out=${PERNADAS_WEB_OUT:-build-web}
site=$out/site

# Debian's emscripten runs its JavaScript optimizer with Debian's acorn.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

# The site, by the web preset (in $out, for a release's own folder): the page's WebAssembly, from
# the same libraries the desktop links, and the files around it (display/web/site.cmake).
echo "== The site: the model in WebAssembly (emscripten $(em++ --version | sed -n '1s/.* \([0-9][0-9.]*\) .*/\1/p')) and the files around it =="
cmake --preset web -B "$out" >/dev/null
cmake --build "$out" -j2
size() { find "$site" -type f "$@" -printf '%s\n' | awk '{ n += $1 } END { print n }'; }
echo "Site in $site/ ($(size ! -name '*.br' ! -name '*.gz') bytes," \
     "$(size \( -name '*.br' -o -name '*.png' \)) with brotli; pernadas.wasm $(stat -c %s "$site/pernadas.wasm") bytes)"

case "$mode" in
    --serve)
        port=${PORT:-8015}
        exec bash scripts/serve.sh "$site" "$port"
        ;;
    --test)
        bash tests/web/run.sh
        ;;
    "") ;;
    *) echo "web.sh: unknown option $mode (--serve or --test)" >&2; exit 2 ;;
esac
