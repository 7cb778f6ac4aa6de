#!/usr/bin/env bash
# Builds the Debian package of pernadas in build-package, checks the desktop entry and the
# AppStream metadata it installs, unpacks it into a throw-away root, and starts the program
# installed there without a display, to see the splash window give way to the main menu.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
# Built as the release is, so that this package, once checked, is the release's.
. scripts/release-env.sh

app_id=pt.example.ribeira.Pernadas
build=build-package

echo "== Debian package =="
# Only the program and its icons go into the package; the install step builds nothing else.
# Hardened as Debian builds its own packages (the package preset).
cmake --preset package >/dev/null
cmake --build --preset package -j2
rm -f "$build"/pernadas_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/pernadas_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package.sh: no single .deb in $build"; exit 1; }
deb=${debs[0]}
echo "$deb"
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for needed in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 qt6-qpa-plugins; do
    [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] ||
        { echo "package.sh: the package does not depend on $needed"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
dpkg -x "$deb" "$root"

fail=0
expect() {
    [ -f "$root/$1" ] || { echo "package.sh: the package lacks /$1"; fail=1; }
}
expect usr/bin/pernadas
expect usr/bin/pernadas-replay
expect usr/share/man/man1/pernadas.1.gz
expect usr/share/man/man1/pernadas-replay.1.gz
expect usr/share/doc/pernadas/copyright
expect usr/share/doc/pernadas/changelog.Debian.gz
expect "usr/share/applications/$app_id.desktop"
expect "usr/share/metainfo/$app_id.metainfo.xml"
expect "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
for size in 16 24 32 48 64 128 256; do
    png=usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    expect "$png"
    if [ -f "$root/$png" ] && ! file "$root/$png" | grep -q "PNG image data, $size x $size,"; then
        echo "package.sh: /$png is not a $size x $size PNG"
        fail=1
    fi
done
[ "$fail" -eq 0 ] || exit 1

echo "== Desktop entry and AppStream metadata =="
# desktop-file-validate exits 0 on warnings: any message at all fails the check.
report=$(desktop-file-validate "$root/usr/share/applications/$app_id.desktop" 2>&1) || true
if [ -n "$report" ]; then
    echo "$report"
    echo "package.sh: desktop-file-validate is not satisfied"
    exit 1
fi
echo "desktop-file-validate: no messages"

echo "== lintian =="
# Debian's own checks of a package: no error and no warning; what is overridden says why in
# packaging/lintian-overrides.
if ! report=$(lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1); then
    echo "$report"
    echo "package.sh: lintian is not satisfied"
    exit 1
fi
grep -v "^running with root privileges" <<<"$report" || true
echo "lintian: no errors, no warnings"

echo "== apt =="
# apt must find everything the package depends on. As root, on a machine without pernadas, it is
# installed for real, its runner answers from the installed place, and it is removed with
# whatever the install added, even when a step fails or the run is stopped.
apt-get install --simulate --no-install-recommends "./$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; echo "package.sh: apt cannot install $deb"; exit 1; }
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
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "./$deb" \
        >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; echo "package.sh: apt failed"; exit 1; }
    installed=$(/usr/bin/pernadas-replay --version 2>&1 || true)
    uninstall || { cat "$work/remove.log"; echo "package.sh: apt could not remove what it installed"; exit 1; }
    trap 'rm -rf "$work"' EXIT
    expected="pernadas-replay $(dpkg-deb --field "$deb" Version | sed 's/-[^-]*$//')"
    [ "$installed" = "$expected" ] || { echo "package.sh: the installed runner says '$installed'"; exit 1; }
    echo "apt: $(basename "$deb") installs, answers '$installed', and is removed with $(wc -l <"$work/added") package(s)"
fi

echo "== One version =="
# The package, its changelog, its metadata and the runner all carry the program's version.
version=$(dpkg-deb --field "$deb" Version)
program=${version%-*}
zcat "$root/usr/share/doc/pernadas/changelog.Debian.gz" | head -1 | grep -q "^pernadas ($version) " ||
    { echo "package.sh: the Debian changelog does not start at $version"; exit 1; }
grep -q "<release version=\"$program\"" "$root/usr/share/metainfo/$app_id.metainfo.xml" ||
    { echo "package.sh: the AppStream releases lack $program"; exit 1; }
replay_version=$("$root/usr/bin/pernadas-replay" --version)
[ "$replay_version" = "pernadas-replay $program" ] ||
    { echo "package.sh: pernadas-replay --version says '$replay_version', not $program"; exit 1; }
echo "Version $program everywhere."
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"
# The metadata, the desktop entry and the icon, seen together as a software centre sees them.
appstreamcli validate-tree --no-net "$root"

echo "== The installed program, without a display =="
# It runs in an empty folder with an empty home, so that anything it wrote would show.
mkdir -m 700 "$work/home" "$work/cwd" "$work/runtime"
log=$work/pernadas.log
start=$(date +%s.%N)
(cd "$work/cwd" && exec env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" \
     XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen PERNADAS_TRACE_FORMS=1 \
     timeout 20 "$root/usr/bin/pernadas" >"$log" 2>&1) &
pid=$!
menu_at=""
for _ in $(seq 150); do
    if grep -q "^pernadas: frmmain shown$" "$log"; then
        menu_at=$(date +%s.%N)
        break
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
sleep 0.5
running=0
kill -0 "$pid" 2>/dev/null && running=1
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
cat "$log"

shown=$(grep "^pernadas: .* shown$" "$log" || true)
expected=$'pernadas: frmsplashscreen shown\npernadas: frmmain shown'
if [ "$shown" != "$expected" ]; then
    echo "package.sh: expected the splash window and then the main menu, and nothing else"
    exit 1
fi
if [ "$running" -ne 1 ]; then
    echo "package.sh: the program ended by itself with the main menu up"
    exit 1
fi
# The splash window stays up for four seconds before the main menu replaces it.
if awk -v a="$start" -v b="$menu_at" 'BEGIN { exit !(b - a < 3.5) }'; then
    echo "package.sh: the main menu came up before the splash window had its time"
    exit 1
fi
written=$(find "$work/cwd" "$work/home" -mindepth 1)
if [ -n "$written" ]; then
    echo "$written"
    echo "package.sh: the program wrote files"
    exit 1
fi
echo "The splash window gave way to the main menu."
echo "Package checks passed: $deb"
