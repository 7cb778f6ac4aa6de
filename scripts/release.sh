#!/usr/bin/env bash
# scripts/release.sh [DIST]: builds every artifact of the commit that is checked out, from a
# clean checkout, into DIST (dist/ unless told): the Debian package, the Windows program and its
# installer and the browser site as an archive, with a SHA256SUMS file; then checks each one as
# the test command does (not with PERNADAS_RELEASE_UNCHECKED=1, for a build that is only to be
# compared with a checked one).
#
# The artifacts are reproducible: the same commit gives the same bytes in any folder at any
# time. Time stamps come from the commit (SOURCE_DATE_EPOCH), the source folder's path is
# mapped away in the binaries, and the archives are written in a fixed order.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dist=$(realpath -m "${1:-dist}")

if [ -n "$(git status --porcelain --untracked-files=no)" ] && [ -z "${PERNADAS_RELEASE_DIRTY:-}" ]; then
    echo "release.sh: the checkout has changes; a release is built from a commit as it stands"
    exit 2
fi
bash scripts/deps.sh

export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export TZ=UTC LC_ALL=C.UTF-8
commit=$(git rev-parse --short HEAD)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix_map="-ffile-prefix-map=$root=. -ffile-prefix-map=$work=."
rm -rf "$dist"
mkdir -p "$dist"

echo "== Debian package ($commit) =="
# The package preset, in a folder of the release's own, the paths mapped away.
cmake --preset package -B "$work/linux" -DCMAKE_CXX_FLAGS="$prefix_map" >/dev/null
# The version, as the project sets it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$work/linux/CMakeCache.txt")
cmake --build "$work/linux" -j2 >"$work/linux.log" 2>&1 || { cat "$work/linux.log"; exit 1; }
(cd "$work/linux" && cpack -G DEB >/dev/null)
cp "$work"/linux/pernadas_*.deb "$dist/"

echo "== Windows program and installer ($commit) =="
# The installer needs only the program: its packaging step builds nothing else.
cmake --preset windows-release -B "$work/windows" -DCMAKE_CXX_FLAGS="$prefix_map" >/dev/null
cmake --build "$work/windows" --target pernadas -j2 >"$work/windows.log" 2>&1 ||
    { cat "$work/windows.log"; exit 1; }
(cd "$work/windows" && cpack -G NSIS >/dev/null)
# The program as the installer installs it: without its symbols.
x86_64-w64-mingw32-strip -o "$dist/pernadas.exe" "$work/windows/bin/pernadas.exe"
cp "$work"/windows/pernadas-*-win64.exe "$dist/"

echo "== Browser site ($commit) =="
PERNADAS_WEB_OUT="$work/web" bash scripts/web.sh >"$work/web.log" 2>&1 || { cat "$work/web.log"; exit 1; }
# One folder named after the release: the site in site/, and beside it, outside what is served,
# the configurations that serve it (nginx, Caddy). Names in a fixed order, and every date, owner
# and mode the same whoever builds it and whenever.
site=pernadas-$version-web
mkdir "$work/$site"
mv "$work/web/site" "$work/$site/site"
cp packaging/web/nginx-site.conf packaging/web/Caddyfile "$work/$site/"
find "$work/$site" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
tar -C "$work" --sort=name --format=gnu --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 \
    --numeric-owner -cf - "$site" | gzip -9n >"$dist/$site.tar.gz"

(cd "$dist" && sha256sum -- * >SHA256SUMS)
cat "$dist/SHA256SUMS"
if [ -n "${PERNADAS_RELEASE_UNCHECKED:-}" ]; then
    # A second build of the same commit, only to be compared byte for byte with a checked one.
    echo "Release of $commit in $dist (built to be compared; not checked again)"
    exit 0
fi

echo "== Checks =="
for deb in "$dist"/*.deb; do
    if ! report=$(lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1); then
        echo "$report"
        echo "release.sh: lintian is not satisfied with $deb"
        exit 1
    fi
    echo "lintian: $(basename "$deb") has no errors and no warnings"
    # apt must find everything the package depends on. As root, on a machine without pernadas,
    # it is installed for real, its runner answers from the installed place, and it is removed
    # with whatever the install added, even when a step fails or the run is stopped.
    apt-get install --simulate --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
        { cat "$work/apt.log"; echo "release.sh: apt cannot install $deb"; exit 1; }
    if [ "$(id -u)" != 0 ]; then
        echo "apt: would install $(basename "$deb") (not root: not installed for real)"
    elif dpkg -s pernadas >/dev/null 2>&1; then
        echo "apt: pernadas is installed on this machine already; $(basename "$deb") is not installed over it"
    else
        packages() { dpkg-query -W -f '${db:Status-Abbrev} ${Package}\n' | sed -n 's/^ii *//p' | sort; }
        packages >"$work/before"
        uninstall() {
            packages | comm -13 "$work/before" - >"$work/added"
            [ -s "$work/added" ] || return 0
            DEBIAN_FRONTEND=noninteractive xargs apt-get remove -y -q <"$work/added" >"$work/remove.log" 2>&1
        }
        trap 'uninstall || true; rm -rf "$work"' EXIT
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" \
            >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; echo "release.sh: apt failed"; exit 1; }
        installed=$(/usr/bin/pernadas-replay --version 2>&1 || true)
        uninstall || { cat "$work/remove.log"; echo "release.sh: apt could not remove what it installed"; exit 1; }
        trap 'rm -rf "$work"' EXIT
        [ "$installed" = "pernadas-replay $version" ] ||
            { echo "release.sh: the installed runner says '$installed'"; exit 1; }
        echo "apt: $(basename "$deb") installs, answers '$installed', and is removed with $(wc -l <"$work/added") package(s)"
    fi
done
# A single program that needs only the system's own libraries.
sh windows/imports_test.sh x86_64-w64-mingw32-objdump "$dist/pernadas.exe" ||
    { echo "release.sh: pernadas.exe needs a DLL that Windows does not bring"; exit 1; }
# The installer as a user runs it, under Wine: installed silently, the program started where it
# was installed, uninstalled without a trace; cancelled and installed over an earlier version
# (packed from the release's Windows build). Without Wine or Xvfb that fails, unless
# PERNADAS_WINDOWS_BUILD_ONLY=1 asks for the artifacts alone.
installer=$dist/pernadas-$version-win64.exe
if command -v wine >/dev/null && command -v Xvfb >/dev/null; then
    bash windows/installer_test.sh "$work/wineprefix" "$installer" "$work/screens" "$work/windows"
elif [ -n "${PERNADAS_WINDOWS_BUILD_ONLY:-}" ]; then
    echo "installer: not tried (no Wine or Xvfb here, PERNADAS_WINDOWS_BUILD_ONLY is set)"
else
    echo "release.sh: Wine and Xvfb are needed to try the installer (bash scripts/deps.sh)"
    exit 1
fi
# The site as a user gets it: unpacked from the archive, served by nginx with the archive's own
# configuration, opened in Chromium and compared with the runner of this same release.
mkdir "$work/unpacked"
tar -C "$work/unpacked" -xzf "$dist/$site.tar.gz"
PERNADAS_NGINX_SITE="$work/unpacked/$site/nginx-site.conf" REPLAY="$work/linux/bin/pernadas-replay" \
    bash tests/web/run.sh "$work/unpacked/$site/site"
# Caddy is not among the packages the tests install (it would want port 80 as nginx does); where
# it is installed, the archive's Caddyfile must at least be one it takes.
if command -v caddy >/dev/null; then
    caddy validate --adapter caddyfile --config "$work/unpacked/$site/Caddyfile" >"$work/caddy.log" 2>&1 ||
        { cat "$work/caddy.log"; echo "release.sh: caddy refuses the Caddyfile"; exit 1; }
    echo "caddy: the archive's Caddyfile is valid"
else
    echo "caddy: not installed here; the archive's Caddyfile is not validated"
fi
echo "Release of $commit in $dist"
