#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when missing.
#   scripts/deps.sh            the compiler, CMake, Ninja and Qt
#   scripts/deps.sh sanitize   also clang with its sanitizer and fuzzer
#                              runtimes, lld and llvm-symbolizer (build-asan/)
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev clang-format
          xvfb xdotool  # xvfb, xdotool: the test that clicks the panel on a display
          dpkg-dev file)  # dpkg-shlibdeps, file: the .deb's library dependencies (cpack)
# Tests: Hamlib's rigctl/rigctld for the network rig control checks (the
# end-to-end case skips itself without them).
packages+=(libhamlib-utils)
# Installed without their recommendations (llvm-14-dev and more are not needed).
lean=()
if [ "${1:-}" = "sanitize" ]; then
    lean=(clang libclang-rt-14-dev lld llvm-14)
fi
missing() {
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}
mapfile -t need < <(missing "${packages[@]}")
mapfile -t needLean < <(missing "${lean[@]}")
if [ ${#need[@]} -gt 0 ] || [ ${#needLean[@]} -gt 0 ]; then
    echo "Installing: ${need[*]} ${needLean[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    if [ ${#need[@]} -gt 0 ]; then
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
    fi
    if [ ${#needLean[@]} -gt 0 ]; then
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${needLean[@]}"
    fi
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
