#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run pernadas.
set -euo pipefail

packages=(cmake g++ make clang libclang-rt-14-dev clang-format libgtest-dev libgmock-dev
          libbenchmark-dev qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins xvfb xauth
          fonts-dejavu-core fonts-liberation)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
