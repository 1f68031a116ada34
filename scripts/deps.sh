#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when missing.
set -euo pipefail
# xvfb and xdotool: the end-to-end test that clicks the panel on a virtual display.
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev clang-format xvfb xdotool)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
# The checks of the desktop entry, the AppStream metainfo and the manual
# pages (scripts/check-desktop-files.sh, scripts/check-docs.sh).
check_packages=(desktop-file-utils appstream groff-base man-db python3)
check_missing=()
for p in "${check_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || check_missing+=("$p")
done
if [ ${#check_missing[@]} -gt 0 ]; then
    echo "Installing: ${check_missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${check_missing[@]}"
fi
