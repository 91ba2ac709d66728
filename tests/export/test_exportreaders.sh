#!/bin/sh
# Exports the golden backup and reads every exported file back with readers of its own:
# libgammu's vCard, iCalendar and PDU decoders (python3-gammu), xml.etree, and a line-based
# iCalendar check. Usage: test_exportreaders.sh CELLARCHIVE_CLI GOLDEN_BACKUP
set -u
cli="$1"
backup="$2"
python=""
for candidate in python3 /usr/bin/python3; do
    if command -v "$candidate" >/dev/null 2>&1 && "$candidate" -c "import gammu" 2>/dev/null; then
        python="$candidate"
        break
    fi
done
if [ -z "$python" ]; then
    echo "python3-gammu is not installed"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cli" export "$backup" --to "$work/out" || exit 1
exec "$python" - "$work/out" "$backup" <<'PY'
import os, re, sys
import xml.etree.ElementTree as ET
import gammu

out, backup = sys.argv[1], sys.argv[2]
failures = []
def check(condition, text):
    if not condition:
        failures.append(text)

def read(name):
    with open(os.path.join(out, name), encoding="utf-8", newline="") as f:
        return f.read()

for name in os.listdir(out):
    check(os.stat(os.path.join(out, name)).st_mode & 0o777 == 0o600, name + " is not owner-only")

# contacts.vcf: every card through libgammu's vCard decoder.
cards = re.findall(r"BEGIN:VCARD\r\n.*?END:VCARD\r\n", read("contacts.vcf"), re.S)
check(len(cards) == 3, "3 vCards expected, found %d" % len(cards))
values = {}
for card in cards:
    for entry in gammu.DecodeVCARD(card)["Entries"]:
        values.setdefault(entry["Type"], []).append(entry["Value"])
for kind, value in [("Text_LastName", "Åström"), ("Text_FirstName", "Märta"),
                    ("Text_LastName", "Nováková"), ("Text_FirstName", "Šárka"),
                    ("Text_LastName", "Müller"), ("Text_City", "Göteborg"),
                    ("Text_StreetAddress", "Storgatan 7\r\nLägenhet 3"),
                    ("Number_Mobile", "+46701234567"), ("Text_Email", "marta@example.se")]:
    check(value in values.get(kind, []), "contacts.vcf: %s %r missing" % (kind, value))

# calendar.ics: line by line, then every component through libgammu's iCalendar decoder.
ics = read("calendar.ics")
check(ics.endswith("\r\n") and "\n" not in ics.replace("\r\n", ""), "calendar.ics: lines must end in CR LF")
lines = re.sub(r"\r\n[ \t]", "", ics).split("\r\n")[:-1]
check(all(len(l.encode()) <= 75 for l in ics.split("\r\n")), "calendar.ics: a line is longer than 75 octets")
check(lines[:2] == ["BEGIN:VCALENDAR", "VERSION:2.0"] and lines[-1] == "END:VCALENDAR", "calendar.ics: no VCALENDAR 2.0 frame")
check(any(l.startswith("PRODID:") for l in lines), "calendar.ics: no PRODID")
stack, components, uids = [], [], []
for line in lines:
    name, _, value = line.partition(":")
    if name == "BEGIN":
        stack.append(value)
        if value in ("VEVENT", "VTODO"):
            components.append({"kind": value})
    elif name == "END":
        check(stack and stack.pop() == value, "calendar.ics: END:%s does not close" % value)
    elif stack and stack[-1] == "VALARM":
        components[-1].setdefault("VALARM", []).append(name.split(";")[0])
    elif stack and stack[-1] in ("VEVENT", "VTODO"):
        components[-1][name.split(";")[0]] = value
check(not stack, "calendar.ics: unclosed component")
check([c["kind"] for c in components] == ["VEVENT", "VTODO"], "calendar.ics: one event and one to-do expected")
for c in components:
    check("UID" in c and "DTSTAMP" in c, "calendar.ics: UID and DTSTAMP are required")
    for key in ("DTSTART", "DTEND", "DUE", "DTSTAMP"):
        if key in c:
            check(re.fullmatch(r"\d{8}(T\d{6}Z?)?", c[key]), "calendar.ics: bad %s %s" % (key, c[key]))
check(len({c["UID"] for c in components}) == 2, "calendar.ics: UIDs are not unique")
check(sorted(components[0].get("VALARM", [])) == ["ACTION", "TRIGGER"], "calendar.ics: alarm without ACTION or TRIGGER")
check(components[0].get("SUMMARY") == "Dinner\\, then cinema", "calendar.ics: event summary")
check(components[0].get("LOCATION") == "Café Ölstugan", "calendar.ics: event location")
check(components[1].get("STATUS") == "NEEDS-ACTION" and components[1].get("DUE") == "20240320T170000",
      "calendar.ics: to-do status or floating due time")
event = gammu.DecodeICS(ics)
check(any(e["Type"] == "TEXT" and e["Value"] == "Dinner\\, then cinema" for e in event["Entries"]) or
      any(e["Type"] == "LOCATION" and e["Value"] == "Café Ölstugan" for e in event["Entries"]),
      "calendar.ics: libgammu does not read the event")

# messages.xml: the Android backup layout, bodies as libgammu decodes the stored PDUs.
root = ET.parse(os.path.join(out, "messages.xml")).getroot()
smses = root.findall("sms")
check(root.tag == "smses" and root.get("count") == str(len(smses)) == "3", "messages.xml: root or count")
attributes = ["protocol", "address", "date", "type", "subject", "body", "toa", "sc_toa",
              "service_center", "read", "status", "readable_date", "contact_name"]
for sms in smses:
    check(sorted(sms.keys()) == sorted(attributes), "messages.xml: attributes %s" % sorted(sms.keys()))
    check(sms.get("protocol") == "0" and sms.get("subject") == "null" and sms.get("status") == "-1",
          "messages.xml: fixed attributes")
with open(backup, "rb") as f:
    pdus = re.findall(rb"<PDU value=([0-9A-F]+)/>", f.read())
parts = {}
texts = []
for pdu in pdus:
    message = gammu.DecodePDU(bytes.fromhex(pdu.decode()))
    udh = message["UDH"]
    if udh["AllParts"] > 1:
        parts.setdefault(udh["ID8bit"], {})[udh["PartNumber"]] = message["Text"]
    else:
        texts.append(message["Text"])
for joined in parts.values():
    texts.append("".join(joined[k] for k in sorted(joined)))
check(sorted(texts) == sorted(s.get("body") for s in smses), "messages.xml: bodies differ from the PDUs")
first = smses[0]
check(first.get("date") == "1710182700000" and first.get("type") == "1" and
      first.get("contact_name") == "Märta Åström" and first.get("service_center") == "+46705008999",
      "messages.xml: first message " + str(first.attrib))
check(smses[2].get("type") == "2" and smses[2].get("service_center") == "null", "messages.xml: sent message")

text = read("messages.txt")
for body in texts:
    check(body in text, "messages.txt: %r missing" % body)

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
PY
