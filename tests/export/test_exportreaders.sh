#!/bin/sh
# Exports the golden backup and reads every exported file back with readers of its own
# (python3-vobject, python3-icalendar, xml.etree), checking values, not only that the files
# parse; then gives the cards to khard and the calendar to khal, and exports a backup of
# libgammu's dummy phone. Skipped without the Python readers; khard, khal and gammu each
# only when installed. Usage: test_exportreaders.sh CELLARCHIVE_CLI GOLDEN_BACKUP
set -u
cli="$1"
backup="$2"
here=$(cd "$(dirname "$0")" && pwd)
python=""
for candidate in python3 /usr/bin/python3; do
    if command -v "$candidate" >/dev/null 2>&1 &&
        "$candidate" -c "import vobject, icalendar" 2>/dev/null; then
        python="$candidate"
        break
    fi
done
if [ -z "$python" ]; then
    echo "python3-vobject or python3-icalendar is not installed"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/data"
export TZ=UTC LC_ALL=C.UTF-8
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
status=0
fail() { echo "FAILED: $*"; status=1; }
"$cli" export "$backup" --to "$work/out" >"$work/out.txt" || fail "export"
"$cli" export "$backup" --to "$work/old" --vcard 2.1 --timezone Europe/Berlin >/dev/null ||
    fail "export --vcard 2.1 --timezone Europe/Berlin"
grep -qF "(1 message had no time: given the backup's time)" "$work/out.txt" ||
    { cat "$work/out.txt"; fail "no line for the message without a time"; }

"$python" - "$work/out" "$work/old" "$backup" <<'PY' || status=1
import base64, datetime, os, re, sys
import xml.etree.ElementTree as ET
import icalendar, vobject

out, old, backup = sys.argv[1:4]
failures = []
def check(condition, text):
    if not condition:
        failures.append(text)

def read(folder, name):
    with open(os.path.join(folder, name), encoding="utf-8", newline="") as f:
        return f.read()

for name in os.listdir(out):
    check(os.stat(os.path.join(out, name)).st_mode & 0o777 == 0o600, name + " is not owner-only")
with open(backup, "rb") as f:
    source = f.read().decode("cp1252")
photo = re.search(r"PHOTO;[^:]*:(.*?)<br/><br/>", source).group(1)
photo = base64.b64decode(photo.replace("<br/>", "").replace(" ", ""))

# contacts.vcf: vCard 3.0 (and 2.1 with --vcard 2.1), each card's values read back.
for folder, version in ((out, "3.0"), (old, "2.1")):
    text = read(folder, "contacts.vcf")
    cards = list(vobject.readComponents(text))
    check(len(cards) == 6, "%s: 6 cards expected, found %d" % (version, len(cards)))
    check(all(c.version.value == version for c in cards), "%s: a card of another version" % version)
    byname = {str(c.n.value.given): c for c in cards if hasattr(c, "n")}
    john = byname.get("John")
    check(john is not None and john.n.value.family == "Smith;Jr", "%s: the given name is not John" % version)
    if john is not None:
        check(john.org.value == ["Acme; Sons"], "%s: ORG %r" % (version, john.org.value))
        check(john.photo.value == photo, "%s: the photo bytes differ from the phone's" % version)
    check("小明" in byname and byname["小明"].n.value.family == "王", "%s: the Chinese name" % version)
    if version == "3.0":
        uids = [c.uid.value for c in cards]
        check(len(set(uids)) == 6, "3.0: the UIDs are not distinct")
        check(all(c.fn.value for c in cards), "3.0: a card without FN")
        check(john is not None and john.fn.value == "John Smith;Jr", "3.0: FN of John")
        check(all(len(l.encode()) <= 75 for l in text.split("\r\n")), "3.0: a line over 75 octets")

# calendar.ics: floating times, all-day dates, priorities, categories, UIDs, no control
# characters; with --timezone the zone's TZID and VTIMEZONE.
for folder, zone in ((out, None), (old, "Europe/Berlin")):
    text = read(folder, "calendar.ics")
    check(all(len(l.encode()) <= 75 for l in text.split("\r\n")), "calendar.ics: a line over 75 octets")
    check(not re.search(r"[\x00-\x08\x0b\x0c\x0e-\x1f\x7f]", text), "calendar.ics: a control character")
    calendar = icalendar.Calendar.from_ical(text)
    components = [c for c in calendar.walk() if c.name in ("VEVENT", "VTODO")]
    check(len(components) == 8, "calendar.ics: 8 events and to-dos expected, found %d" % len(components))
    uids = [str(c["UID"]) for c in components]
    check(len(set(uids)) == len(uids), "calendar.ics: the UIDs are not distinct")
    summary = {}
    for c in components:
        summary.setdefault(str(c.get("SUMMARY")), []).append(c)
    check(len(summary.get("Gym", [])) == 2, "calendar.ics: two Gym events expected")
    lunch = summary["Lunch"][0]["DTSTART"].dt
    check(lunch == datetime.datetime(2025, 7, 10, 12, 0) if zone is None else
          (lunch.replace(tzinfo=None) == datetime.datetime(2025, 7, 10, 12, 0) and
           str(lunch.tzinfo) == zone), "calendar.ics: the lunch starts at %r" % lunch)
    if zone is None:
        check(all(c["DTSTART"].dt.tzinfo is None for c in components if "DTSTART" in c and
                  isinstance(c["DTSTART"].dt, datetime.datetime) and
                  str(c.get("SUMMARY")) != "Dinner, then cinema"), "calendar.ics: DTSTART has a time zone")
    else:
        check(len(calendar.walk("VTIMEZONE")) == 1, "calendar.ics: no VTIMEZONE")
    dinner = summary["Dinner, then cinema"][0]
    check(dinner["DTSTART"].dt == datetime.datetime(2024, 3, 15, 17, 0, tzinfo=datetime.timezone.utc) or
          dinner["DTSTART"].dt.utcoffset() == datetime.timedelta(0), "calendar.ics: a UTC time of the file is not kept")
    fair = summary["Trade fair"][0]
    check(fair["DTSTART"].dt == datetime.date(2027, 1, 15) and fair["DTEND"].dt == datetime.date(2027, 1, 16),
          "calendar.ics: the date-only event")
    check(fair.get("CATEGORIES").to_ical() == b"BUSINESS", "calendar.ics: categories")
    check(int(summary["Tax return"][0]["PRIORITY"]) == 1, "calendar.ics: the high to-do's priority")
    check(int(summary["Return library books"][0]["PRIORITY"]) == 5, "calendar.ics: the medium to-do's priority")
    check("ctlx" in summary, "calendar.ics: control characters not dropped")

# messages.xml: sent messages have a time, never 1970.
root = ET.parse(os.path.join(out, "messages.xml")).getroot()
smses = root.findall("sms")
check(root.get("count") == str(len(smses)) == "4", "messages.xml: count")
check(all(int(s.get("date")) > 10**12 for s in smses), "messages.xml: a date in 1970")
hello = [s for s in smses if s.get("body") == "Hello"]
check(hello and hello[0].get("date") == "1752048900000", "messages.xml: the sent message's time")
untimed = [s for s in smses if s.get("body") == 'See you at "Storgatan" at 7?']
check(untimed and int(untimed[0].get("date")) // 1000 == int(os.stat(backup).st_mtime),
      "messages.xml: the message without a time has not the backup's time")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
PY

# khard lists every card of a vdir of the exported 3.0 cards, without a warning.
if command -v khard >/dev/null 2>&1; then
    mkdir -p "$work/vdir" "$XDG_CONFIG_HOME/khard"
    "$python" - "$work/out/contacts.vcf" "$work/vdir" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8", newline="").read()
for i, card in enumerate(re.findall(r"BEGIN:VCARD\r\n.*?END:VCARD\r\n", text, re.S)):
    open("%s/%d.vcf" % (sys.argv[2], i), "w", encoding="utf-8", newline="").write(card)
PY
    printf '[addressbooks]\n[[phone]]\npath = %s\n[general]\ndefault_action = list\neditor = vi\nmerge_editor = vimdiff\n' \
        "$work/vdir" >"$XDG_CONFIG_HOME/khard/khard.conf"
    khard list >"$work/khard.out" 2>"$work/khard.err" || fail "khard list"
    [ -s "$work/khard.err" ] && { cat "$work/khard.err"; fail "khard warns"; }
    for name in "John Smith;Jr" "Märta Åström" "小明 王" "Long Abcdefghij"; do
        grep -qF "$name" "$work/khard.out" || fail "khard does not list $name"
    done
    [ "$(grep -c '+[0-9]' "$work/khard.out")" -eq 6 ] || { cat "$work/khard.out"; fail "khard lists not 6 cards"; }
fi

# khal imports calendar.ics: the lunch at 12:00 in Berlin, and two Gym events.
if command -v khal >/dev/null 2>&1; then
    mkdir -p "$XDG_CONFIG_HOME/khal" "$work/cal"
    printf '[calendars]\n[[phone]]\npath = %s\ntype = calendar\n[locale]\ntimeformat = %%H:%%M\ndateformat = %%Y-%%m-%%d\nlongdateformat = %%Y-%%m-%%d\ndatetimeformat = %%Y-%%m-%%d %%H:%%M\nlongdatetimeformat = %%Y-%%m-%%d %%H:%%M\nlocal_timezone = Europe/Berlin\ndefault_timezone = Europe/Berlin\n[sqlite]\npath = %s/khal.db\n' \
        "$work/cal" "$work" >"$XDG_CONFIG_HOME/khal/config"
    khal import --batch -a phone "$work/out/calendar.ics" >"$work/khal.err" 2>&1 || { cat "$work/khal.err"; fail "khal import"; }
    khal list 2025-07-08 3d >"$work/khal.out" 2>&1
    grep -q '^12:00-13:00 Lunch' "$work/khal.out" && [ "$(grep -c '^18:00-19:00 Gym' "$work/khal.out")" -eq 2 ] ||
        { cat "$work/khal.out"; fail "khal does not show the lunch at 12:00 and two Gym events"; }
fi

# A backup of libgammu's dummy phone: a floating 12:00 lunch, a high to-do and a sent
# message with its time, exported as the phone means them.
if command -v gammu >/dev/null 2>&1; then
    . "$here/../realphone/dummyphone.sh"
    cd "$work" || exit 1
    dummy_rc d.rc "$work/d"
    gammu -c d.rc identify >/dev/null 2>&1
    mkdir -p d/calendar d/todo
    # Written as the dummy driver keeps them: its own writer would turn High into Low.
    printf 'BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nCATEGORIES:MEETING\r\nSUMMARY:Lunch\r\nDTSTART:20250710T120000\r\nDTEND:20250710T130000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' >d/calendar/1
    printf 'BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VTODO\r\nPRIORITY:1\r\nSUMMARY:Tax return\r\nDUE:20250731T120000\r\nEND:VTODO\r\nEND:VCALENDAR\r\n' >d/todo/1
    printf '[SMSBackup000]\nPDU = Submit\nDateTime = 20261201T101500Z\nState = Sent\nNumber = "+4917099887766"\nText00 = 00480069\nCoding = Default\nFolder = 4\nClass = -1\n' >sms.backup
    gammu -c d.rc addsms 4 sms.backup -yes >/dev/null 2>&1 || fail "cannot fill the dummy phone"
    "$cli" backup gammu:d.rc d.MS --categories calendar,sms >d.out 2>&1 || { cat d.out; fail "backup of the dummy phone"; }
    for line in 'DTSTART:20250710T120000<br/>' 'PRIORITY:1<br/>' '<Time value=20261201T101500/>'; do
        grep -qF "$line" d.MS || { cat d.MS; fail "the dummy phone's backup lacks $line"; }
    done
    "$cli" export d.MS --to d.out.d >/dev/null || fail "export of the dummy phone's backup"
    "$python" - d.out.d <<'PY' || fail "the dummy phone's export"
import datetime, sys
import xml.etree.ElementTree as ET
import icalendar
calendar = icalendar.Calendar.from_ical(open(sys.argv[1] + "/calendar.ics", encoding="utf-8").read())
lunch = [c for c in calendar.walk("VEVENT") if str(c["SUMMARY"]) == "Lunch"][0]
todo = calendar.walk("VTODO")[0]
sms = ET.parse(sys.argv[1] + "/messages.xml").getroot().find("sms")
ok = (lunch["DTSTART"].dt == datetime.datetime(2025, 7, 10, 12, 0) and int(todo["PRIORITY"]) == 1 and
      sms.get("date") == "1796120100000")
if not ok:
    print("lunch %r, priority %s, message date %s" % (lunch["DTSTART"].dt, todo["PRIORITY"], sms.get("date")))
sys.exit(0 if ok else 1)
PY
    # A part with a header and 158 characters does not fit into one PDU: libgammu would cut
    # it; it is left out, named and counted instead.
    dummy_rc e.rc "$work/e"
    long=$("$python" -c "print(('A' * 158).encode('utf-16-be').hex().upper())")
    printf '[SMSBackup000]\nPDU = Deliver\nDateTime = 20261201T101500Z\nSMSC = "+491710760000"\nState = Read\nNumber = "+4917099887766"\nUDH = 050003A70201\nText00 = %s\nCoding = Default\nFolder = 1\nClass = -1\n' \
        "$long" >long.backup
    gammu -c e.rc addsms 1 long.backup -yes >/dev/null 2>&1 || fail "cannot fill the dummy phone"
    "$cli" backup gammu:e.rc e.MS --categories sms >e.out 2>&1
    code=$?
    [ "$code" -eq 3 ] && grep -q 'SMS Messages: 1 not read -> see the log' e.out ||
        { cat e.out; fail "a part too long for its PDU ended with $code"; }
    ! grep -q '<PDU value=' e.MS e.incomplete.MS 2>/dev/null || fail "a cut part was backed up"
fi
exit $status
