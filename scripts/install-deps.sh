#!/usr/bin/env bash
# Installs the Debian 12 packages that Tarvo needs to build, run and test,
# skipping those already present.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev libgl-dev
    libsmbclient-dev samba smbclient
    libsecret-1-dev gnome-keyring libsecret-tools
    libgtest-dev libgmock-dev libbenchmark-dev dbus-daemon
    xvfb xauth x11-apps netpbm xdotool
    clang libclang-rt-14-dev
    groff-base man-db
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "tarvo: these packages are missing and you are not root: ${missing[*]}" >&2
        echo "Install them with apt-get as root, then run this command again." >&2
        exit 1
    fi
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
