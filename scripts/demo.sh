#!/usr/bin/env bash
# Builds the panel and the radio simulator and opens the panel connected to
# the simulator. The simulator's console stays on this terminal: type "help"
# for its commands (switch to local, go silent, raise a fault, ...), "quit"
# or Ctrl-C to end the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target tolvane tolvane-sim
folder=${TOLVANE_DEMO_FOLDER:-$root/demo}
mkdir -p "$folder"
cd "$folder"
# The radio on port 1 (the simulator's pseudo-terminal), 9600 baud, 7O1.
if [ ! -f PortSetup.txt ]; then
    printf '1\r\n9600,O,7,1\r\ncomNone\r\n0\r\nLine 1: Port Number, COM1 = 1, COM2 = 2, etc..\r\nLine 2: Baud,Parity,Bits,Stop\r\nLine 3: comNone, comXonXoff, comRTS, comRTSXonXoff\r\nLine 4: External PTT Enable: Enabled =  1 \r\n' > PortSetup.txt
fi
rm -f ports/COM1
echo "Starting the panel in $folder. Simulator console below; 'help' lists its commands."
# The panel starts once the simulator's port is there; closing the panel
# ends the simulator too (this script becomes the simulator below).
(
    for _ in $(seq 100); do [ -e ports/COM1 ] && break; sleep 0.1; done
    "$root/build/tolvane" || true
    kill -TERM $$ 2>/dev/null || true
) </dev/null &
exec "$root/build/tolvane-sim" --folder "$folder" --port 1 --firmware "${TOLVANE_DEMO_FIRMWARE:-v601}"
