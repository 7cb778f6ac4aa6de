#!/usr/bin/env bash
# The release of the commit that is checked out, in DIST (dist/ unless told): the Debian package,
# the Windows program and its installer, and the browser site as an archive, with a SHA256SUMS
# file.
#
#   bash scripts/release.sh [DIST]           builds every artifact and tests it, as the test
#                                            command does (scripts/package.sh, windows.sh and
#                                            web.sh --test), then packs them
#   bash scripts/release.sh --built [DIST]   packs the artifacts of those builds as they stand:
#                                            the test command does, once it has made and tested
#                                            them
#   PERNADAS_RELEASE_UNCHECKED=1 bash scripts/release.sh [DIST]
#                                            builds the artifacts alone, to be compared with a
#                                            tested release (scripts/reproducible.sh)
#
# The artifacts are reproducible: the same commit gives the same bytes in any folder at any time
# (scripts/release-env.sh says how). The archives are written in a fixed order.
set -euo pipefail
cd "$(dirname "$0")/.."
built=""
if [ "${1:-}" = --built ]; then
    built=1
    shift
fi
dist=$(realpath -m "${1:-dist}")

if [ -n "$(git status --porcelain --untracked-files=no)" ] && [ -z "${PERNADAS_RELEASE_DIRTY:-}" ]; then
    echo "release.sh: the checkout has changes; a release is built from a commit as it stands"
    exit 2
fi
. scripts/release-env.sh
commit=$(git rev-parse --short HEAD)

if [ -z "$built" ] && [ -n "${PERNADAS_RELEASE_UNCHECKED:-}" ]; then
    bash scripts/deps.sh
    echo "== The artifacts alone ($commit) =="
    log=$(mktemp)
    trap 'rm -f "$log"' EXIT
    { cmake --preset package && cmake --build --preset package -j2 &&
        (cd build-package && cpack -G DEB) &&
        cmake --preset windows && cmake --build --preset windows --target pernadas -j2 &&
        (cd build-windows && cpack -G NSIS) &&
        bash scripts/web.sh; } >"$log" 2>&1 || { cat "$log"; echo "release.sh: a build failed"; exit 1; }
elif [ -z "$built" ]; then
    bash scripts/package.sh
    bash scripts/windows.sh
    # The browser tests compare the page with the runner of the desktop build.
    cmake --preset default >/dev/null && cmake --build --preset default --target pernadas-replay -j2
    bash scripts/web.sh --test
fi

echo "== Release of $commit in $dist =="
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-package/CMakeCache.txt)
rm -rf "$dist"
mkdir -p "$dist"
debs=(build-package/pernadas_"$version"-*.deb)
installer=build-windows/pernadas-$version-win64.exe
for artifact in "${debs[0]}" "$installer" build-windows/bin/pernadas.exe build-web/site/index.html; do
    [ -f "$artifact" ] || { echo "release.sh: $artifact is missing: build it first"; exit 1; }
done
cp "${debs[@]}" "$installer" "$dist/"
# The program as the installer installs it: without its symbols.
x86_64-w64-mingw32-strip -o "$dist/pernadas.exe" build-windows/bin/pernadas.exe
# One folder named after the release: the site in site/, and beside it, outside what is served,
# the configurations that serve it (nginx, Caddy). Names in a fixed order, and every date, owner
# and mode the same whoever builds it and whenever.
site=pernadas-$version-web
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/$site"
cp -r build-web/site "$work/$site/site"
cp packaging/web/nginx-site.conf packaging/web/Caddyfile "$work/$site/"
find "$work/$site" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
tar -C "$work" --sort=name --format=gnu --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 \
    --numeric-owner -cf - "$site" | gzip -9n >"$dist/$site.tar.gz"
(cd "$dist" && sha256sum -- * >SHA256SUMS)
cat "$dist/SHA256SUMS"
# The browser tests serve the site with nginx-site.conf. Caddy is not among the packages the
# tests install (it would want port 80 as nginx does); where it is installed, the Caddyfile must
# at least be one it takes.
if command -v caddy >/dev/null; then
    caddy validate --adapter caddyfile --config packaging/web/Caddyfile >"$work/caddy.log" 2>&1 ||
        { cat "$work/caddy.log"; echo "release.sh: caddy refuses the Caddyfile"; exit 1; }
    echo "caddy: the Caddyfile is valid"
else
    echo "caddy: not installed here; the Caddyfile is not validated"
fi
