#!/usr/bin/env bash
# The calculators in a web browser: builds the model (the forms runtime, the calculators, the
# shell and the about dialog, as they are) with emscripten into WebAssembly, and the static site
# around it into build-web/site/ (PERNADAS_WEB_OUT=DIR builds into DIR/site/ instead). Installs
# nothing: scripts/deps.sh does (scripts/packages/web.txt).
#
#   bash scripts/web.sh           build the site
#   bash scripts/web.sh --serve   build it, then serve it on http://127.0.0.1:8015/ (PORT to change),
#                                 compressed for browsers that take it (scripts/serve.py)
#   bash scripts/web.sh --test    build it, then test it in headless Chromium
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
out=${PERNADAS_WEB_OUT:-build-web}
site=$out/site
mkdir -p "$out/obj" "$site/pictures"

# Debian's emscripten runs its JavaScript optimizer with Debian's acorn.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

# The page's WebAssembly, from the same libraries the desktop links, by the web preset (in $out,
# for a release's own folder): $site/pernadas.js and pernadas.wasm.
echo "== Build the model in WebAssembly (emscripten $(em++ --version | sed -n '1s/.* \([0-9][0-9.]*\) .*/\1/p')) =="
cmake --preset web -B "$out" >/dev/null
cmake --build "$out" -j2

# The compressed files of an earlier build go: they are made anew below, from this build's.
find "$site" -type f \( -name '*.br' -o -name '*.gz' \) -delete
cp forms/web/index.html forms/web/binding.js forms/web/binding.css forms/web/app.js \
   forms/web/manifest.webmanifest forms/web/sw.js "$site/"
cp resources/*.svg "$site/pictures/"

# The icons of the installed site, rendered from the program's icon: 192 and 512 pixels as it is;
# a maskable 512, which the phone crops to a shape of its own, with the icon inside the central
# 80 % (the circle every crop keeps) on a filled background; and the 180-pixel one iOS puts on its
# home screen, which it wants opaque. A phone's browser may fetch one on a first visit, to offer
# installing the site, so each is cut to 256 colours (pngquant: a third of the bytes, and no
# change the eye can see). Neither tool writes a time stamp: the same SVG gives the same bytes.
mkdir -p "$out/obj/icon"
cp resources/pernadas.svg "$out/obj/icon/"
icon() {  # icon NAME SIZE SVG
    rsvg-convert --width="$2" --height="$2" --output="$out/obj/icon/$1.png" "$3"
    pngquant --strip --speed 1 --force --output "$site/pictures/$1.png" "$out/obj/icon/$1.png"
}
# framed NAME SCALE SIZE: the 256-unit icon at SCALE times its size in the middle of a filled
# square. librsvg reads the icon a framing SVG names only from beside that SVG.
framed() {
    local at size
    at=$(awk -v k="$2" 'BEGIN { print 256 - 128 * k }')
    size=$(awk -v k="$2" 'BEGIN { print 256 * k }')
    printf '%s\n' '<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="512" height="512" viewBox="0 0 512 512">' \
        '<rect width="512" height="512" fill="#e3f1f1"/>' \
        "<image x=\"$at\" y=\"$at\" width=\"$size\" height=\"$size\" xlink:href=\"pernadas.svg\"/>" \
        '</svg>' >"$out/obj/icon/$1.svg"
    icon "$1" "$3" "$out/obj/icon/$1.svg"
}
icon pernadas-192 192 resources/pernadas.svg
icon pernadas-512 512 resources/pernadas.svg
# Seen from its middle, the icon reaches 157 of its 256 units (the load's lower corners): at 1.25
# times that is 196 pixels, within the safe circle's 205.
framed pernadas-maskable-512 1.25 512
framed apple-touch-icon 1.5 180

# The service worker keeps the files of this build under a name of their own, so that a new
# build replaces them, and each with its SHA-256, so that it keeps no file of another build
# (forms/web/sw.js says how): all but itself and the PNG icons, and "./" as index.html.
kept=$(cd "$site" && find . -type f ! -name sw.js ! -name '*.png' -printf '%P\n' | LC_ALL=C sort)
files="\"./\": \"$(sha256sum "$site/index.html" | cut -c1-64)\""
for f in $kept; do files+=", \"$f\": \"$(sha256sum "$site/$f" | cut -c1-64)\""; done
stamp=$(printf '%s' "$files" | sha256sum | cut -c1-16)
sed -i -e "s/pernadas-dev/pernadas-$stamp/" -e "s|^const FILES = .*|const FILES = {$files};|" "$site/sw.js"

# Every file that compresses (all but the PNGs) also as NAME.br and NAME.gz beside it, for servers
# that send those to browsers that take them (scripts/serve.py does). Neither holds a name or a
# date: the same file gives the same bytes.
find "$site" -type f ! -name '*.png' -print0 | sort -z | while IFS= read -r -d '' f; do
    gzip -9 -n -c "$f" >"$f.gz"
    brotli -q 11 -n -f -o "$f.br" "$f"
done
plain() { find "$site" -type f ! -name '*.br' ! -name '*.gz' -printf '%s\n' | awk '{ n += $1 } END { print n }'; }
brotlied() { find "$site" -type f \( -name '*.br' -o -name '*.png' \) -printf '%s\n' | awk '{ n += $1 } END { print n }'; }
echo "Site in $site/ ($(plain) bytes, $(brotlied) with brotli; pernadas.wasm $(stat -c %s "$site/pernadas.wasm") bytes)"

case "$mode" in
    --serve)
        port=${PORT:-8015}
        exec python3 scripts/serve.py "$site" "$port"
        ;;
    --test)
        bash tests/web/run.sh
        ;;
    "") ;;
    *) echo "web.sh: unknown option $mode (--serve or --test)" >&2; exit 2 ;;
esac
