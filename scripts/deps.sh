#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run pernadas: the packages
# listed in scripts/packages/*.txt (one a line, # for comments).
set -euo pipefail
cd "$(dirname "$0")"

mapfile -t packages < <(cat packages/*.txt | sed 's/#.*//' | tr -s ' \t' '\n' | grep -v '^$' | sort -u)

# A package counts as there when it is installed, or when an installed one provides it (npm comes
# inside some builds of nodejs, which then conflict with Debian's npm).
provided=$(dpkg-query -W -f='${db:Status-Abbrev} ${Provides}\n' 2>/dev/null | sed -n 's/^ii *//p' |
    tr ',' '\n' | sed 's/(.*)//; s/:.*//; s/ //g' | grep -v '^$' | sort -u || true)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        grep -qx -- "$p" <<<"$provided" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
