#!/usr/bin/env bash
# Records what Hamlib's own programs say to each other, as test data for the
# network rig endpoint: `rigctl -m 2` (NET rigctl) against `rigctld -m 1`
# (the dummy rig), with Hamlib's traces (-vvvvv) turned into transcripts.
#
#   client/<name>.txt   the whole exchange of one `rigctl -m 2` run: the
#                       lines it writes ("> ") and each read ("< "), from
#                       opening the rig to closing it
#   server.txt          request lines written straight to rigctld, one
#                       per line with the reply: "request<TAB>reply", with
#                       backslash and line feed escaped as \\ and \n
#
# Every run starts a fresh rigctld, tuned first to a state the Tolvane can
# hold (14.074 MHz USB, VFO B 14.080 MHz USB), so that the values can be
# compared with the panel's answers for the same state.
# Usage: record.sh   (needs rigctl, rigctld and python3; writes beside itself)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
port=4642
prime=("F 14074000" "M USB 2400" "I 14080000" "X USB 2400" "S 0 VFOA")

start_rigctld() {
    rigctld -m 1 -T 127.0.0.1 -t "$port" >/dev/null 2>&1 &
    rigctld_pid=$!
    for _ in $(seq 50); do
        python3 - "$port" <<'PY' 2>/dev/null && break || sleep 0.1
import socket, sys
socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=0.2).close()
PY
    done
    python3 "$here/talk.py" "$port" "${prime[@]}" >/dev/null
}
stop_rigctld() { kill "$rigctld_pid"; wait "$rigctld_pid" 2>/dev/null || true; }

mkdir -p "$here/client"
# name|arguments of rigctl
while IFS='|' read -r name args; do
    [ -z "$name" ] && continue
    start_rigctld
    # shellcheck disable=SC2086
    rigctl -m 2 -r "127.0.0.1:$port" -vvvvv $args 2>&1 </dev/null \
        | python3 "$here/trace_to_transcript.py" >"$here/client/$name.txt" || true
    stop_rigctld
done <<'LIST'
open|
get_freq|f
set_freq|F 7074000
set_freq_odd|F 14074055
get_mode|m
set_mode|M LSB 0
set_mode_pktusb|M PKTUSB -1
get_vfo|v
set_vfo|V VFOB
get_split_freq|i
set_split_freq|I 7080000
get_split_vfo|s
set_split_vfo|S 1 VFOB
get_split_mode|x
set_split_mode|X USB 2400
get_ptt|t
set_ptt|T 1
get_level_strength|l STRENGTH
get_info|_
get_powerstat|\get_powerstat
get_vfo_info|\get_vfo_info VFOA
LIST

start_rigctld
python3 "$here/talk.py" "$port" \
    f +f '\get_freq' '+\get_freq' ';f' '|f' \
    'F 7074000' '+F 7074000' '\set_freq 7074000' 'F 14074055.000000' '+F 14074055.000000' f \
    'F 14074000' m +m '\get_mode' '+\get_mode' '|m' \
    'M LSB 0' '+M LSB 0' '\set_mode USB -1' m 'M USB 2400' \
    v +v '\get_vfo' i +i '\get_split_freq' \
    'I 14080000' '+I 14080000' '\set_split_freq 14080000' \
    s +s '\get_split_vfo' 'S 0 VFOA' '+S 0 VFOA' '\set_split_vfo 0 VFOA' \
    x +x '\get_split_mode' 'X USB 2400' '+X USB 2400' '\set_split_mode USB 2400' \
    t +t '\get_ptt' 'T 1' '+T 1' 'T 0' \
    'l STRENGTH' '+l STRENGTH' '\get_level STRENGTH' _ +_ '\get_info' \
    '\get_powerstat' '+\get_powerstat' '\chk_vfo' '+\chk_vfo' '\get_lock_mode' \
    '\get_vfo_info VFOA' '+\get_vfo_info VFOA' '\dump_state' \
    'F abc' '+F abc' 'F' 'M USB' 'M USB abc' 'V VFOC' 'T 5' '\set_ptt 0' 'M ?' \
    '+\stream_caps' '\no_such_command' f q >"$here/server.txt"
stop_rigctld
