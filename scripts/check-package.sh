#!/usr/bin/env bash
# Builds the Debian package in a configured build folder (cpack -G DEB),
# unpacks it into a scratch root, checks that every file the program needs
# is there and nothing else, checks the control fields, and runs the
# unpacked tolvane and tolvane-sim with --version.
#
#   scripts/check-package.sh [BUILD_FOLDER]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/tolvane_0.962b_*.deb | head -n 1)
echo "package: $deb"
dpkg-deb -x "$deb" "$root"

failed=0
expected="./usr/bin/tolvane
./usr/bin/tolvane-sim
./usr/share/applications/tolvane.desktop
./usr/share/doc/tolvane/guide.html
./usr/share/icons/hicolor/scalable/apps/tolvane.svg
./usr/share/man/man1/tolvane-sim.1
./usr/share/man/man1/tolvane.1
./usr/share/metainfo/org.tolvane.Panel.metainfo.xml"
actual=$(cd "$root" && find . \( -type f -o -type l \) | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
    echo "package contents differ from the expected list:"
    diff <(echo "$expected") <(echo "$actual") || true
    failed=1
fi

field() { dpkg-deb -f "$deb" "$1"; }
check_field() {
    local got
    got=$(field "$1")
    if [ "$got" != "$2" ]; then
        echo "control field $1: \"$got\", expected \"$2\""
        failed=1
    fi
}
check_field Package tolvane
check_field Version 0.962b
check_field Section hamradio
check_field Recommends xdg-utils
check_field Suggests "libhamlib-utils, socat"
# The summary line, then the paragraph under it (not the summary again).
description=$(field Description)
if [ "$(sed -n 1p <<<"$description")" != "control panel for the Tolvane HF transceiver" ] ||
    [ "$(sed -n 2p <<<"$description")" != " One window shows and sets the radio's front panel over its RS-232 line;" ]; then
    echo "control field Description: \"$description\""
    failed=1
fi
depends=$(field Depends)
for need in qt6-qpa-plugins libqt6widgets6 libqt6gui6 libqt6core6 libc6; do
    if ! grep -qE "(^|, )$need( |,|$)" <<<"$depends"; then
        echo "Depends lacks $need: $depends"
        failed=1
    fi
done

version=$("$root/usr/bin/tolvane" --version)
if [ "$version" != "tolvane 0.962b" ]; then
    echo "unpacked tolvane --version printed \"$version\""
    failed=1
fi
version=$("$root/usr/bin/tolvane-sim" --version)
if [ "$version" != "tolvane-sim 0.962b" ]; then
    echo "unpacked tolvane-sim --version printed \"$version\""
    failed=1
fi

if [ "$failed" -ne 0 ]; then
    echo "check-package: FAILED" >&2
    exit 1
fi
echo "check-package: $(basename "$deb") holds the programs, desktop files and documents"
