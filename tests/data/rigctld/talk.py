#!/usr/bin/env python3
"""Writes each argument as one line to a rigctld on 127.0.0.1:PORT and prints
"request<TAB>reply" per line (backslash and line feed escaped), taking as the
reply everything that arrives until the line has been quiet for 0.3 s."""
import socket, sys

def esc(b):
    return b.decode('latin-1').replace('\\', '\\\\').replace('\n', '\\n')

port = int(sys.argv[1])
s = socket.create_connection(('127.0.0.1', port))
s.settimeout(0.3)
for line in sys.argv[2:]:
    s.sendall(line.encode() + b'\n')
    data = b''
    while True:
        try:
            d = s.recv(65536)
        except socket.timeout:
            break
        if not d:
            break
        data += d
    print(esc(line.encode()) + '\t' + esc(data))
s.close()
