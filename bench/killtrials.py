#!/usr/bin/env python3
"""kill -9 trials on one phone image: a `phone obex-server` replaces the whole phonebook (3,000
contacts, large enough that the journal is folded into the image right after), then adds
contacts one by one, while a restore runs into the same image beside it. The server is killed at
a random moment; then the image is opened again and what it holds is sorted into states. Every
state must be the old book or the new one, with every add the server acknowledged.

    bench/killtrials.py [BUILD_DIR] [TRIALS]     (defaults: build, 40)
"""
import collections
import os
import random
import stat
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "phonesim"))
from obexclient import SUCCESS, ObexServer, contacts, vcard  # noqa: E402

build = sys.argv[1] if len(sys.argv) > 1 else "build"
trials = int(sys.argv[2]) if len(sys.argv) > 2 else 40
cli = os.path.join(build, "src", "cli", "cellarchive-cli")
note = "NOTE:" + "x" * 400 + "\r\n"
new_book = b"".join(vcard("New;%04d" % i).replace(b"END:VCARD", note.encode() + b"END:VCARD")
                    for i in range(3000))


def trial(work, full, rng):
    image = os.path.join(work, "phone.json")
    subprocess.run([cli, "phone", "init", image], capture_output=True)
    restore = subprocess.Popen([cli, "restore", image, full], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    server = ObexServer(cli, image)
    acknowledged, replaced = [], False
    # Half of the kills fall into the whole-book put (about 0.3 s), half into the adds after it.
    killer = threading.Timer(rng.uniform(0.0, 0.35) if rng.random() < 0.5 else rng.uniform(0.0, 1.5),
                             server.process.kill)
    killer.start()
    try:
        server.connect()
        code, _ = server.put("telecom/pb.vcf", new_book)
        replaced = code == SUCCESS
        for i in range(200):
            code, _ = server.put("telecom/pb/luid/.vcf", vcard("Added;%03d" % i))
            if code == SUCCESS:
                acknowledged.append("Added;%03d" % i)
    except (EOFError, BrokenPipeError, ValueError, OSError):
        pass
    killer.cancel()
    server.process.kill()
    server.process.wait()
    restore.wait()
    try:
        names = contacts(cli, image)
    except Exception as problem:
        return "unreadable: %r" % problem
    new = sum(1 for name in names if name.startswith("New;"))
    added = [name for name in names if name.startswith("Added;")]
    others = len(names) - new - len(added)
    if new not in (0, 3000) or (new == 0 and replaced):
        return "BROKEN: %d new contacts" % new
    if not set(acknowledged) <= set(added) or len(added) > len(acknowledged) + 1:
        return "BROKEN: %d adds acknowledged, %d found" % (len(acknowledged), len(added))
    leftovers = [n for n in os.listdir(work) if n.startswith("phone.json.") and len(n) == 17]
    modes = {stat.S_IMODE(os.stat(os.path.join(work, n)).st_mode) for n in os.listdir(work)
             if n.startswith("phone.json")}
    if leftovers or modes != {0o600}:
        return "BROKEN: leftovers %s, modes %s" % (leftovers, sorted(oct(m) for m in modes))
    book = "new book" if new else "old book (%d contacts)" % others
    return "%s, %s adds (%s)" % (book, "no" if not added else "some",
                                 "answered" if replaced else "killed before the book's answer")


def main():
    rng = random.Random(18)
    states = collections.Counter()
    started = time.monotonic()
    with tempfile.TemporaryDirectory() as shared:
        os.environ["XDG_DATA_HOME"] = shared
        full = os.path.join(shared, "full.MS")
        subprocess.run([cli, "phone", "init", os.path.join(shared, "demo.json")], capture_output=True)
        subprocess.run([cli, "backup", os.path.join(shared, "demo.json"), full], capture_output=True)
        for _ in range(trials):
            with tempfile.TemporaryDirectory() as work:
                states[trial(work, full, rng)] += 1
    print("%d kill -9 trials in %.0f s" % (trials, time.monotonic() - started))
    for state, count in states.most_common():
        print("%4d  %s" % (count, state))
    return 1 if any(s.startswith(("BROKEN", "unreadable")) for s in states) else 0


if __name__ == "__main__":
    sys.exit(main())
