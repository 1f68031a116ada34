#!/usr/bin/env python3
"""Turns a `rigctl -vvvvv` trace into a transcript of what went over the
socket: '>' lines the client wrote, '<' lines it read (one per read)."""
import re, sys
out = []
lines = sys.stdin.read().split('\n')
i = 0
while i < len(lines):
    l = lines[i]
    m = re.match(r'write_block\(\): TX (\d+) bytes', l) or re.match(r'read_string_generic\(\): RX (\d+) characters', l)
    if m:
        n = int(m.group(1)); kind = '>' if 'TX' in l else '<'
        data = b''
        i += 1
        while len(data) < n and i < len(lines):
            hm = re.match(r'^[0-9a-f]{4}\s{4}((?:[0-9a-f]{2} ?)+)', lines[i])
            if not hm: break
            data += bytes.fromhex(hm.group(1).replace(' ', ''))
            i += 1
        out.append(kind + ' ' + data.decode('latin-1').replace('\n', '\\n'))
        continue
    i += 1
print('\n'.join(out))
