#!/usr/bin/env python3
"""One phone image used by several programs at once, crashes and damaged journals: each row of
the table runs `cellarchive-cli` and `cellarchive-cli phone obex-server` as separate processes.

Usage: test_sharedimage.py CELLARCHIVE_CLI [ROW...]
"""
import glob
import os
import signal
import stat
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from obexclient import SUCCESS, ObexServer, contacts, vcard  # noqa: E402

CLI = sys.argv[1]
DEMO_CONTACTS = 13


def run(*arguments):
    return subprocess.run([CLI, *arguments], capture_output=True, text=True,
                          encoding="cp1252", timeout=300)


def init(image, *options):
    result = run("phone", "init", image, *options)
    assert result.returncode == 0, result.stderr
    return image


def add_contact(server, name):
    code, _ = server.put("telecom/pb/luid/.vcf", vcard(name))
    assert code == SUCCESS, "add answered %#x" % code


def unfolded_journal(work, names):
    """A demo image whose journal holds one record per name, as a killed server leaves it."""
    image = init(os.path.join(work, "phone.json"))
    server = ObexServer(CLI, image)
    server.connect()
    for name in names:
        add_contact(server, name)
    server.kill()
    with open(image + ".journal", "rb") as journal:
        return image, journal.read().split(b"\n")[:-1]


def expect_journal_refused(image, lines, reason):
    with open(image + ".journal", "wb") as journal:
        journal.write(b"\n".join(lines) + b"\n")
    result = run("backup", image, os.path.join(os.path.dirname(image), "b.MS"))
    assert result.returncode == 1, result.stdout
    said = result.stdout + result.stderr
    assert image + ".journal" in said and reason in said, said
    # Moved aside, never deleted; the next program uses the image as it was last saved.
    assert not os.path.exists(image + ".journal")
    with open(image + ".journal.damaged-1", "rb") as aside:
        assert aside.read() == b"\n".join(lines) + b"\n"
    assert len(contacts(CLI, image)) == DEMO_CONTACTS


def stale_server_after_restore(work):
    full = os.path.join(work, "full.MS")
    assert run("backup", init(os.path.join(work, "demo.json")), full).returncode == 0
    image = init(os.path.join(work, "phone.json"), "--blank")
    server = ObexServer(CLI, image)
    server.connect()
    restore = run("restore", image, full)
    assert restore.returncode == 0 and "Restore finished" in restore.stdout, restore.stdout
    add_contact(server, "Stale;Server")
    assert server.close() == 0
    found = contacts(CLI, image)
    assert len(found) == DEMO_CONTACTS + 1 and "Stale;Server" in found, found


def backup_plus_obex_add(work):
    image = init(os.path.join(work, "phone.json"))
    server = ObexServer(CLI, image)
    server.connect()
    backup = subprocess.Popen([CLI, "backup", image, os.path.join(work, "b.MS")],
                              stdout=subprocess.PIPE, text=True, encoding="cp1252")
    # Added while the backup runs, before its profile walk writes to the phone.
    started = [backup.stdout.readline() for _ in range(4)]
    assert any("Backup has started" in line for line in started), started
    add_contact(server, "Side;ByBide")
    output = backup.communicate(timeout=300)[0]
    assert backup.returncode == 0 and "Backup completed" in output, output
    assert server.close() == 0
    assert "Side;ByBide" in contacts(CLI, image)


def damaged_journal_header(work):
    image, lines = unfolded_journal(work, ["A;One"])
    expect_journal_refused(image, [b'{"journal":2,"ima'] + lines[1:], "line 1")


def journal_of_another_image(work):
    image, lines = unfolded_journal(work, ["A;One"])
    expect_journal_refused(image, [b'{"image":"%s","journal":2}' % (b"0" * 64)] + lines[1:],
                           "another image")


def journal_of_another_version(work):
    image, lines = unfolded_journal(work, ["A;One"])
    expect_journal_refused(image, [lines[0].replace(b'"journal":2', b'"journal":7')] + lines[1:],
                           "version 7")


def repeated_record(work):
    image, lines = unfolded_journal(work, ["A;One", "B;Two"])
    expect_journal_refused(image, lines[:2] + [lines[1]] + lines[2:], "repeats record 1")


def whole_book_replace_killed(work):
    new_book = b"".join(vcard("New;%04d" % i) for i in range(3000))
    for delay in (0.0, 0.002, 0.01, 0.05):
        image = init(os.path.join(work, "phone-%s.json" % delay))
        server = ObexServer(CLI, image)
        server.connect()
        server.put("telecom/pb.vcf", new_book, await_last=False)
        time.sleep(delay)
        server.kill()
        count = len(contacts(CLI, image))
        assert count in (DEMO_CONTACTS, 3000), (delay, count)


def file_modes(work):
    old_umask = os.umask(0o022)
    try:
        image = init(os.path.join(work, "phone.json"))
        leftover = image + ".Xy12Ab"
        with open(leftover, "w") as copy:
            copy.write("{}")
        # A file of the user's with a name of the same shape is no copy.
        with open(image + ".serial", "w") as own:
            own.write("/dev/pts/3\n")
        with open(image + ".tmp-Q1w2E3", "w") as copy:
            copy.write('{"identity"')
        server = ObexServer(CLI, image)
        server.connect()
        add_contact(server, "Private;Person")
        made = [image, image + ".journal", image + ".lock"]
        modes = {path: stat.S_IMODE(os.stat(path).st_mode) for path in made}
        assert server.close() == 0
        modes["folded " + image] = stat.S_IMODE(os.stat(image).st_mode)
        assert all(mode == 0o600 for mode in modes.values()), modes
        # A fold's temporary copy that a crash left behind goes with the next open.
        assert not os.path.exists(leftover)
        assert glob.glob(image + ".??????") == [image + ".serial"]
        assert glob.glob(image + ".tmp-*") == []
    finally:
        os.umask(old_umask)


def init_over_an_image(work):
    image, _ = unfolded_journal(work, ["Kept;Contact"])
    result = run("phone", "init", image, "--blank")
    assert result.returncode == 1 and "--overwrite" in result.stderr, result.stderr
    assert "Kept;Contact" in contacts(CLI, image)
    result = run("phone", "init", image, "--blank", "--overwrite")
    assert result.returncode == 0, result.stderr
    assert not os.path.exists(image + ".journal")
    assert contacts(CLI, image) == []


def oversized_put(work):
    image = init(os.path.join(work, "phone.json"))
    server = ObexServer(CLI, image)
    server.connect()
    # Refused from the announced length, before any body is held.
    code, _ = server.put("telecom/pb.vcf", b"BEGIN:VCARD\r\n", length=16 * 1024 * 1024 + 1)
    assert code == 0xCD, hex(code)
    assert server.close() == 0
    assert len(contacts(CLI, image)) == DEMO_CONTACTS


ROWS = [
    stale_server_after_restore,
    backup_plus_obex_add,
    damaged_journal_header,
    journal_of_another_image,
    journal_of_another_version,
    repeated_record,
    whole_book_replace_killed,
    file_modes,
    init_over_an_image,
    oversized_put,
]


def main():
    failed = 0
    only = sys.argv[2:]
    for row in [row for row in ROWS if not only or row.__name__ in only]:
        with tempfile.TemporaryDirectory() as work:
            os.environ["XDG_DATA_HOME"] = work
            try:
                row(work)
                print("ok   %s" % row.__name__)
            except Exception as problem:  # every row runs; each failure is named
                failed += 1
                print("FAIL %s: %r" % (row.__name__, problem))
    return 1 if failed else 0


if __name__ == "__main__":
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    sys.exit(main())
