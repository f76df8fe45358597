#!/usr/bin/env bash
# Installs what building, testing and the demo need on Debian 12. Safe to re-run: packages that
# are already there are left alone.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git python3 patch
    juce-modules-source libcurl4-openssl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format
    xvfb xauth xdotool x11-utils fonts-dejavu-core imagemagick
    libgtk2.0-dev libx11-dev libxtst-dev openbox
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all packages present"
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
