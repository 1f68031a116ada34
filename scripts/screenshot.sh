#!/usr/bin/env bash
# Takes the picture of the panel that the README shows: tolvane-sim and
# tolvane run under a virtual X server (Xvfb), the panel connects to the
# simulated radio, and once it is in REMOTE with the heartbeat answered the
# panel window is captured to doc/screenshot.png.
#
#   scripts/screenshot.sh [BUILD_FOLDER] [OUTPUT.png]
#
# BUILD_FOLDER holds the built tolvane and tolvane-sim (default: build).
# The panel runs in a scratch folder with its own PortSetup.txt, so no
# settings file of the checkout is touched. Everything it starts is ended
# again, also when the script is interrupted.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build=${1:-build}
out=${2:-doc/screenshot.png}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
case "$out" in /*) ;; *) out="$root/$out" ;; esac
panel="$build/tolvane"
sim="$build/tolvane-sim"
for program in "$panel" "$sim"; do
    if [ ! -x "$program" ]; then
        echo "screenshot.sh: $program is missing; build it first (cmake --build $build)" >&2
        exit 1
    fi
done

# The virtual X server, a window lister and the capture tool.
packages=(xvfb x11-utils imagemagick)
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

work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-shot.XXXXXX")
xvfb_pid=""
sim_pid=""
panel_pid=""

# Ends one process that this script started, by its id, and waits for it.
stop() {
    local pid=$1
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    # The panel first, so that it closes its port while the radio is there.
    stop "$panel_pid"
    stop "$sim_pid"
    stop "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

fail() {
    echo "screenshot.sh: $*" >&2
    for log in sim.log panel.log xvfb.log; do
        if [ -s "$work/$log" ]; then
            echo "--- last lines of $log" >&2
            tail -n 20 "$work/$log" >&2
        fi
    done
    exit 1
}

# Waits up to $1 seconds for the command in the remaining arguments.
wait_for() {
    local limit=$1
    shift
    local tries=$((limit * 10))
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# A virtual screen of its own: Xvfb picks a free display number and tells it.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
display_known() { [ -s "$work/display" ]; }
wait_for 10 display_known || fail "Xvfb did not start"
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY

# The radio on port 1, 9600 baud, 7O1, as the demo sets it up.
folder="$work/station"
mkdir -p "$folder"
printf '1\r\n9600,O,7,1\r\ncomNone\r\n0\r\nLine 1: Port Number, COM1 = 1, COM2 = 2, etc..\r\nLine 2: Baud,Parity,Bits,Stop\r\nLine 3: comNone, comXonXoff, comRTS, comRTSXonXoff\r\nLine 4: External PTT Enable: Enabled =  1 \r\n' \
    >"$folder/PortSetup.txt"

# The simulator's console reads a pipe that stays open and silent.
mkfifo "$work/console"
"$sim" --folder "$folder" --port 1 --firmware v601 --trace \
    <"$work/console" >"$work/sim.log" 2>&1 &
sim_pid=$!
exec 4>"$work/console"
port_linked() { [ -e "$folder/ports/COM1" ]; }
wait_for 10 port_linked || fail "tolvane-sim did not link ports/COM1"

(cd "$folder" && exec env QT_QPA_PLATFORM=xcb "$panel") >"$work/panel.log" 2>&1 </dev/null &
panel_pid=$!

# REMOTE with the heartbeat running: the panel sends "U" only under remote
# control, and the simulator's trace shows each one. The second heartbeat
# comes after the REMOTE initialisation has finished and the panel shows
# its state; capturing right after it catches the sync lamp lit.
heartbeats() { [ "$(grep -c '^  panel> U$' "$work/sim.log" || true)" -ge "$1" ]; }
panel_alive() { kill -0 "$panel_pid" 2>/dev/null; }
for _ in $(seq 300); do
    heartbeats 2 && break
    panel_alive || fail "the panel ended before it reached REMOTE"
    sleep 0.1
done
heartbeats 2 || fail "no heartbeat from the panel within 30 s"
seen=$(grep -c '^  panel> U$' "$work/sim.log" || true)
next_heartbeat() { heartbeats $((seen + 1)); }
wait_for 5 next_heartbeat || fail "the heartbeat stopped"
# The lamp shows the character for one second from the send; the panel
# paints it on its next pass, a moment after the simulator took it.
sleep 0.4

# The panel's top-level window, by its title.
wid=$(xwininfo -root -tree | awk '/"Tolvane [0-9]/ { print $1; exit }')
[ -n "$wid" ] || fail "the panel window was not found"
mkdir -p "$(dirname "$out")"
if ! import -window "$wid" "png:$out" 2>"$work/capture.log"; then
    xwd -silent -id "$wid" | convert xwd:- "png:$out" || fail "capture failed: $(cat "$work/capture.log")"
fi
echo "Saved $out ($(identify -format '%wx%h' "$out" 2>/dev/null || echo '?'))"
