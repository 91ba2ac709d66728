"""Compares what two backups, or a backup and a phone image, hold, as far as libgammu's AT driver
can carry it. Exit status 0 when they agree, else 1 with the differences.

  pdus.py same A.MS B.MS       the PDUs, but for what the AT driver's reader does not return:
                               the first octet's bits 0x04, 0x20 and 0x80, and TP-PID
  pdus.py wallclock A.MS B.MS  the same, and the time zone of received messages, which the AT
                               driver writes as zero
  pdus.py names A.MS IMAGE     each contact of A.MS on the phone of IMAGE as its whole name and
                               its chosen number: PREF, else CELL, else the first
"""
import json
import quopri
import re
import sys


def lines_of(path):
    return "".join(bytes([b]).decode("cp1252", "ignore") or chr(b) for b in open(path, "rb").read()).split("\r\n")


def pdus(path):
    return [m.group(1) for line in lines_of(path) for m in [re.search(r"<PDU value=([0-9A-F]+)/>", line)] if m]


def masked(pdu, zone):
    octets = bytearray.fromhex(pdu)
    at = octets[0] + 1
    first = at
    deliver = octets[first] & 0x03 == 0
    octets[first] &= ~0xA4 & 0xFF
    at += 1 if deliver else 2
    at += 2 + (octets[at] + 1) // 2
    octets[at] = 0  # TP-PID
    if deliver and zone:
        octets[at + 2 + 6] = 0  # the time stamp's zone octet
    return octets.hex().upper()


def contacts(path):
    found = []
    for line in lines_of(path):
        m = re.match(r"\s*<Contact Value=(.*)/>$", line)
        if m:
            found.append(m.group(1).replace("<br/>", "\r\n"))
    return found


def to_bytes(text):
    """Text back to the bytes it was read from: Windows-1252, and the five bytes it leaves
    undefined as the characters of the same number."""
    out = bytearray()
    for c in text:
        try:
            out += c.encode("cp1252")
        except UnicodeEncodeError:
            out.append(ord(c) if ord(c) < 256 else ord("?"))
    return bytes(out)


def value(line):
    head, _, text = line.partition(":")
    if "QUOTED-PRINTABLE" in head.upper():
        text = quopri.decodestring(text.encode("latin-1")).decode("utf-8" if "UTF-8" in head.upper() else "cp1252")
    elif "UTF-8" in head.upper():
        text = to_bytes(text).decode("utf-8", "replace")
    return head.upper(), text.strip()


def chosen(vcard):
    name = parts = pref = cell = first = ""
    for line in vcard.split("\r\n"):
        head, text = value(line)
        key = head.split(";")[0]
        if key == "FN":
            name = name or text
        elif key == "N":
            p = (text.split(";") + [""] * 5)[:5]
            parts = parts or " ".join(w for w in (p[3], p[1], p[2], p[0], p[4]) if w)
        elif key == "TEL":
            first = first or text
            cell = cell or (text if "CELL" in head else "")
            pref = pref or (text if "PREF" in head else "")
    return name or parts, pref or cell or first


def kept(vcard):
    """A contact of the phone image as its AT line reads it: given and family name, number."""
    name = number = ""
    for line in vcard.split("\r\n"):
        head, text = value(line)
        if head.split(";")[0] == "N":
            family, given = (text.split(";") + [""])[:2]
            name = " ".join(w for w in (given, family) if w)
        elif head.startswith("TEL"):
            number = number or text
    return name, number


def main():
    how, a, b = sys.argv[1:4]
    if how == "names":
        want = sorted(chosen(c) for c in contacts(a))
        have = sorted(kept(e["data"]) for e in json.load(open(b))["phonebook"])
    else:
        zone = how == "wallclock"
        want = [masked(p, zone) for p in pdus(a)]
        have = [masked(p, zone) for p in pdus(b)]
    if want == have and want:
        return 0
    for w, h in zip(want, have):
        if w != h:
            print("want", w, "\nhave", h)
    print(len(want), "wanted,", len(have), "found")
    return 1


sys.exit(main())
