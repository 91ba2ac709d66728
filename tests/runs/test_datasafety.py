#!/usr/bin/env python3
"""What a backup keeps and what a restore tells, each case through the command line as
separate processes on simulated phones. Usage: test_datasafety.py CELLARCHIVE_CLI"""
import json
import os
import quopri
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
        # One wins whole and the other says it failed, or both finish whole in turn.
        for code, out in zip(codes, outs):
            check(code == 0 and "Backup completed" in out or
                  code == 1 and "Another run wrote the file meanwhile -> " + target in out,
                  "a run neither completed nor said it failed: %d\n%s" % (code, out))
        check(0 in codes, "no run completed: %s" % codes)
        check(sections(target) == SECTIONS, "the file left is not whole: %s" % sections(target))
        run(work, "show", target, expect=0)
        left = [n for n in os.listdir(work)
                if n.startswith(os.path.basename(target)) and n.endswith(".partial")]
        check(codes.count(1) == len(left), "staging files left: %s, runs failed: %s" % (left, codes))


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


ROWS = [two_backups_into_one_path, cut_file, huge_contact, lone_return_and_br, end_line_in_note,
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
