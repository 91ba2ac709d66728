#!/usr/bin/env python3
"""A serial phone that never answers: a pseudo-terminal whose slave path goes to stdout.
Everything written to it is read and dropped; each connection attempt (the AT driver starts
every one with an escape) adds one to the number in the file ATTEMPTS.
Usage: silentpty.py ATTEMPTS"""
import os
import sys
import time

master, slave = os.openpty()
print(os.ttyname(slave), flush=True)
os.close(slave)
attempts = 0
while True:
    try:
        data = os.read(master, 4096)
    except OSError:
        # No one has the slave open between two attempts.
        data = b""
    if not data:
        time.sleep(0.1)
        continue
    if b"\x1b" in data:
        attempts += data.count(b"\x1b")
        with open(sys.argv[1] + ".new", "w") as out:
            out.write(f"{attempts}\n")
        os.replace(sys.argv[1] + ".new", sys.argv[1])
