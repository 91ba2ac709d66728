#!/usr/bin/env python3
"""What a backup keeps and what a restore tells, each case through the command line as
separate processes on simulated phones. Usage: test_datasafety.py CELLARCHIVE_CLI"""
import json
import os
import quopri
import random
import re
import signal
import subprocess
import sys
import tempfile
import time

CLI = os.path.abspath(sys.argv[1])
SECTIONS = ["Contacts", "Calendar", "SMS_Messages", "Settings_DataAccount", "Settings_WAP",
            "Bookmarks", "Settings_Profiles", "Settings_Locks", "Settings_Time",
            "Settings_CustomMenu"]


class Failure(Exception):
    pass


def check(condition, text):
    if not condition:
        raise Failure(text)


def run(work, *args, expect=None):
    done = subprocess.run([CLI, *args], cwd=work, capture_output=True, env=env(work))
    out = done.stdout.decode("utf-8", "replace")
    if expect is not None:
        check(done.returncode == expect, "%s: exit %d, not %d\n%s%s" % (
            " ".join(args), done.returncode, expect, out, done.stderr.decode("utf-8", "replace")))
    return done.returncode, out


def env(work):
    # The note of a profile walk lives in the user's data folder: one per case.
    return dict(os.environ, HOME=os.path.join(work, "home"), XDG_DATA_HOME="")


def image(work, name, blank=False, contacts=None, faults=None):
    path = os.path.join(work, name)
    run(work, "phone", "init", path, *(["--blank"] if blank else []), expect=0)
    doc = json.load(open(path))
    if contacts is not None:
        doc["phonebook"] = [{"luid": str(i + 1), "data": data} for i, data in enumerate(contacts)]
    if faults is not None:
        doc["faults"] = faults
    json.dump(doc, open(path, "w"))
    return path


def phonebook(path):
    # Loading through a run folds the journal into the image.
    return [entry["data"] for entry in json.load(open(path)).get("phonebook", [])]


def card(name, *lines):
    return "\r\n".join(["BEGIN:VCARD", "VERSION:2.1", "N:" + name, *lines, "END:VCARD"])


def note_of(data):
    """The NOTE of a stored contact as a vCard reader sees it (quoted-printable decoded)."""
    match = re.search(r"^NOTE(;[^:]*)?:(.*?)\r\n(?=[A-Z-]+[;:])", data, re.S | re.M)
    value = match.group(2)
    if match.group(1) and "QUOTED-PRINTABLE" in match.group(1).upper():
        value = quopri.decodestring(value.replace("=\r\n", "").encode("latin-1")).decode("latin-1")
    return value


def sections(path):
    return [line[1:-1] for line in open(path, encoding="latin-1", newline="").read().split("\r\n")
            if re.fullmatch(r"<\w+>", line)]


def two_backups_into_one_path(work):
    for overwrite in (False, True):
        target = os.path.join(work, "same%d.MS" % overwrite)
        extra = ["--overwrite"] if overwrite else []
        if overwrite:
            open(target, "w").write("old\r\n")
        phones = [image(work, "p%d%d.json" % (overwrite, i)) for i in range(2)]
        runs = [subprocess.Popen([CLI, "backup", phone, target, *extra], cwd=work, env=env(work),
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                for phone in phones]
        outs = [r.communicate()[0].decode("utf-8", "replace") for r in runs]
        codes = [r.returncode for r in runs]
        # One wins whole and the other says it failed and where its own whole backup is, under
        # a name the window's *.MS filter shows; or both finish whole in turn.
        second = target[:-len(".MS")] + "-2.MS"
        for code, out in zip(codes, outs):
            check(code == 0 and "Backup completed" in out or
                  code == 1 and "Another run wrote the file meanwhile -> " + target in out and
                  "This backup is in -> " + second in out,
                  "a run neither completed nor said it failed: %d\n%s" % (code, out))
        check(0 in codes, "no run completed: %s" % codes)
        for path in [target] + ([second] if 1 in codes else []):
            check(sections(path) == SECTIONS, "%s is not whole: %s" % (path, sections(path)))
            run(work, "show", path, expect=0)
        left = [n for n in os.listdir(work) if n.endswith(".partial")]
        check(left == [], "staging files left: %s, runs failed: %s" % (left, codes))


def cut_file(work):
    run(work, "backup", image(work, "demo.json"), "whole.MS", "--categories", "phonebook,time",
        expect=0)
    lines = open(os.path.join(work, "whole.MS"), encoding="latin-1", newline="").read().split("\r\n")
    cut = lines[:5]  # the opening line and four contacts, no closing line
    open(os.path.join(work, "cut.MS"), "w", encoding="latin-1", newline="").write(
        "\r\n".join(cut) + "\r\n")
    said = "line 1: the section Contacts has no closing line"
    code, out = run(work, "show", "cut.MS", expect=3)
    check("! " + said in out, "show does not name the cut section:\n" + out)
    blank = image(work, "blank.json", blank=True)
    code, out = run(work, "restore", blank, "cut.MS", expect=3)
    check("The file is cut short -> " + said in out, "restore does not name it:\n" + out)
    check(len(phonebook(blank)) == 4, "not every contact of the cut file was restored")


def huge_contact(work):
    note = "NOTE;ENCODING=QUOTED-PRINTABLE:" + "=\r\n".join(
        ("x%072d" % i) for i in range(4 * 1024 * 1024 // 75))
    big = card("Big;One", note, "TEL:123")
    run(work, "backup", image(work, "big.json", blank=True, contacts=[big, card("After;Two")]),
        "big.MS", "--categories", "phonebook", expect=0)
    blank = image(work, "blank.json", blank=True)
    run(work, "restore", blank, "big.MS", expect=0)
    check(phonebook(blank) == [big, card("After;Two")], "the 4 MB contact did not come back whole")


def lone_return_and_br(work):
    notes = ["one\rtwo", "a <br/> b = c ", "\rboth<br/>"]
    contacts = [card("Text;%d" % i, "NOTE:" + n) for i, n in enumerate(notes)]
    run(work, "backup", image(work, "text.json", blank=True, contacts=contacts), "text.MS",
        "--categories", "phonebook", expect=0)
    blank = image(work, "blank.json", blank=True)
    run(work, "restore", blank, "text.MS", expect=0)
    back = phonebook(blank)
    check([note_of(d) for d in back] == notes, "notes changed: %r" % [note_of(d) for d in back])


def end_line_in_note(work):
    inline = card("Inline;1", "NOTE:see END:VCARD here")
    broken = card("Broken;2", "NOTE;ENCODING=QUOTED-PRINTABLE:first=", "END:VCARD", "TEL:1")
    after = card("After;3", "TEL:3")
    code, out = run(work, "backup", image(work, "end.json", blank=True,
                                          contacts=[inline, broken, after]),
                    "end.MS", "--categories", "phonebook", expect=3)
    check("Contact 2 holds text the backup file cannot keep -> see the log" in out and
          "Phonebook: 1 not read -> see the log" in out, "the entry is not named:\n" + out)
    blank = image(work, "blank.json", blank=True)
    run(work, "restore", blank, "end.MS", expect=0)
    check(phonebook(blank) == [inline, after], "the rest was not kept: %r" % phonebook(blank))


def killed_profile_walk(work):
    # Each sound read of the walk answers late, so the walk is under way when it is killed.
    phone = image(work, "walk.json", faults={"lateSeconds": {"54": 1}})
    active = json.load(open(phone))["settings"]["profiles"]["active"]
    backup = subprocess.Popen([CLI, "backup", phone, "walk.MS", "--categories", "profiles"],
                              cwd=work, env=env(work), stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL)
    seen = b""
    while b"Saving Profile number-> 3" not in seen:
        line = backup.stdout.readline()
        check(line, "the walk ended before it was killed:\n" + seen.decode())
        seen += line
    backup.send_signal(signal.SIGKILL)
    backup.wait()
    code, out = run(work, "backup", phone, "time.MS", "--categories", "time", expect=0)
    check("An earlier backup was cut short in its profile walk -> profile %d is active again"
          % active in out, "the next run did not put the profile back:\n" + out)
    check(json.load(open(phone))["settings"]["profiles"]["active"] == active,
          "the phone was left in another profile")
    code, out = run(work, "backup", phone, "again.MS", "--categories", "time", expect=0)
    check("cut short" not in out, "the note was not removed")


def data_of(path):
    """What a restore puts into a phone: its lists and settings, without the LUIDs it gives."""
    doc = json.load(open(path))
    lists = {key: [{k: v for k, v in entry.items() if k != "luid"} for entry in doc.get(key, [])]
             for key in ("phonebook", "calendar")}
    return dict(lists, sms=doc.get("sms"), settings=doc.get("settings"))


def unreadable_count(out):
    """The entries of the file a restore could not read, by its closing lines."""
    return sum(int(n) for n in re.findall(r": (\d+) in the file could not be read", out))


def hostile_files(work):
    """The demo backup broken as users and tools break files: each row with the exit status
    show and restore must both give, and what the phone must hold afterwards (None: nothing)."""
    run(work, "backup", image(work, "demo.json"), "demo.MS", expect=0)
    crlf = open(os.path.join(work, "demo.MS"), "rb").read()
    lines = crlf.split(b"\r\n")
    pdu = next(i for i, line in enumerate(lines) if b"<PDU value=" in line)
    contact = next(i for i, line in enumerate(lines) if b"<Contact Value=" in line)
    calendar = lines[lines.index(b"<Calendar>"):lines.index(b"<Calendar/>") + 1]

    def edit(index, line):
        return b"\r\n".join(lines[:index] + ([line] if line is not None else []) + lines[index + 1:])

    blank = data_of(image(work, "blank.json", blank=True))
    run(work, "restore", image(work, "whole.json", blank=True), "demo.MS", expect=0)
    whole = data_of(os.path.join(work, "whole.json"))

    def less(key, index):
        """What the whole file gives without one entry: a contact, or a message of the SIM."""
        held = json.loads(json.dumps(whole))
        entries = held[key] if key != "sms" else next(iter(held["sms"].values()))["messages"]
        del entries[index]
        return held

    rows = [  # name, bytes, exit status, unreadable entries, what the phone holds after
        ("cut closing tag", edit(contact, lines[contact][:-2]), 3, 1, less("phonebook", 0)),
        ("missing PDU line", edit(pdu, None), 3, 1, less("sms", 0)),
        ("header typo", crlf.replace(b"<SMS_Messages>", b"<SMS_Messagez>"), 3, 1, "no sms"),
        ("LF line ends", crlf.replace(b"\r\n", b"\n"), 0, 0, whole),
        ("empty file", b"", 1, 0, None),
        ("UTF-16", crlf.decode("cp1252").encode("utf-16"), 1, 0, None),
        ("random bytes", random.Random(28).randbytes(65536).replace(b"<", b"("), 1, 0, None),
        ("section twice", crlf + b"\r\n".join(calendar) + b"\r\n", 1, 0, None),
    ]
    for name, data, status, unreadable, held in rows:
        path = os.path.join(work, name.replace(" ", "_") + ".MS")
        open(path, "wb").write(data)
        code, shown = run(work, "show", path)
        phone = image(work, name.replace(" ", "_") + ".json", blank=True)
        restored, out = run(work, "restore", phone, path)
        said = "%s: show %d, restore %d, not %d\n%s" % (name, code, restored, status, out)
        check(code == status and restored == status, said)
        check(("Restore verified" in out) == (status == 0), name + ": verified?\n" + out)
        check(unreadable_count(out) == unreadable, name + ": counted wrong\n" + out)
        if unreadable:
            check("entr%s of the file could not be read -> see the log" %
                  ("y" if unreadable == 1 else "ies") in out and "Restore checked" in out,
                  name + ": the restore does not say what it could not read\n" + out)
        after = data_of(phone)
        if held is None:
            check(after == blank, name + ": the phone was written")
        elif held == "no sms":
            check(after["phonebook"] == whole["phonebook"] and after["sms"] == blank["sms"],
                  name + ": the phone holds the wrong entries")
        else:
            check(after == held, name + ": the phone holds the wrong entries")
    code, out = run(work, "export", "section_twice.MS", "--to", "out", expect=1)
    check(not os.path.exists(os.path.join(work, "out")), "export wrote a file holding a section twice")


def overwrite_keeps_the_old_file(work):
    """A backup onto an old file that backs nothing up keeps the old file byte for byte."""
    old = os.path.join(work, "keep.MS")
    run(work, "backup", image(work, "demo.json"), old, "--categories", "phonebook", expect=0)
    kept = open(old, "rb").read()
    refused_gets = {str(code): "0x88880001" for code in (664, 36, 344, 347)}
    rows = [  # phone, categories, exit status
        (image(work, "noprofiles.json", faults={"unsupported": [126]}), "profiles", 3),
        (image(work, "failing.json", faults={"refused": refused_gets}), "dataaccounts,time", 3),
        (image(work, "noobex.json", faults={"obex": {"refuseConnect": True}}), "phonebook,calendar", 1),
        (image(work, "blank.json", blank=True), "sms,dataaccounts", 0),
    ]
    for phone, categories, status in rows:
        code, out = run(work, "backup", phone, old, "--categories", categories, "--overwrite")
        check(code == status, "%s: exit %d, not %d\n%s" % (categories, code, status, out))
        check("Nothing was backed up; %s is kept" % old in out and "Removed old file" not in out
              and "Backup completed" not in out, categories + ": not told\n" + out)
        check(open(old, "rb").read() == kept, categories + ": the old file changed")
        check([n for n in os.listdir(work) if n.endswith(".partial")] == [], "a staging file is left")


def full_disk(work):
    """A disk that fills up during a backup: the system's reason, and whole lines kept."""
    if subprocess.run(["unshare", "-rm", "true"], capture_output=True).returncode != 0:
        print("skip full_disk: cannot mount a small tmpfs here (no user namespaces)")
        return
    phone = image(work, "demo.json")
    full = os.path.join(work, "full")
    os.mkdir(full)
    script = ('mount -t tmpfs -o size=12k tmpfs "$1" && cd "$1" && "$2" backup "$3" full.MS; '
              'echo "exit $?"; od -c full.MS | tail -3; tail -c 2 full.MS | od -An -c')
    done = subprocess.run(["unshare", "-rm", "sh", "-c", script, "sh", full,
                           CLI, phone], capture_output=True, env=env(work))
    out = done.stdout.decode("utf-8", "replace")
    check("No space left on device" in out and "Unknown error" not in out,
          "the full disk is not named:\n" + out)
    check("exit 1" in out, "a backup onto a full disk did not fail:\n" + out)
    check(out.rstrip().endswith("\\r  \\n"), "the kept file ends in half a line:\n" + out)


ROWS = [hostile_files, overwrite_keeps_the_old_file, full_disk, two_backups_into_one_path, cut_file, huge_contact, lone_return_and_br, end_line_in_note,
        killed_profile_walk]

failed = 0
for row in ROWS:
    with tempfile.TemporaryDirectory() as work:
        try:
            row(work)
            print("ok   " + row.__name__)
        except Failure as failure:
            failed += 1
            print("FAIL " + row.__name__ + ": " + str(failure))
sys.exit(1 if failed else 0)
