#!/usr/bin/env python3
"""The progress line of cellarchive-cli: on a terminal, one line on standard error rewritten in
place and taken away at the end; nothing of it in a pipe, nothing in standard output.
Usage: progressline.py CELLARCHIVE_CLI SLOW_BLANK_IMAGE BACKUP_FILE OTHER_IMAGE"""
import os
import pty
import subprocess
import sys

cli, blank, backup, other = sys.argv[1:5]
master, slave = pty.openpty()
run = subprocess.run([cli, "restore", blank, backup], stdout=subprocess.PIPE, stderr=slave)
os.close(slave)
shown = b""
while True:
    try:
        chunk = os.read(master, 65536)
    except OSError:
        break
    if not chunk:
        break
    shown += chunk
os.close(master)
piped = subprocess.run([cli, "backup", other, "piped.MS", "--categories", "phonebook"],
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE)
wanted = [b"\rPhonebook: 13 of 13\x1b[K", b"\rSMS Messages: 5 of 5\x1b[K", b"\r\x1b[K"]
missing = [w for w in wanted if w not in shown]
problems = []
if missing:
    problems.append("not on the terminal: %r (it got %r)" % (missing, shown[-300:]))
if b"\x1b" in run.stdout or b" of 13" in run.stdout:
    problems.append("progress in standard output")
if piped.stderr or b"\x1b" in piped.stdout:
    problems.append("progress in a pipe: %r" % piped.stderr[:200])
if run.returncode not in (0, 3) or piped.returncode != 0:
    problems.append("runs ended with %d and %d" % (run.returncode, piped.returncode))
for problem in problems:
    print("FAILED:", problem)
sys.exit(1 if problems else 0)
