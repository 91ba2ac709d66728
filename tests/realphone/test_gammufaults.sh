#!/bin/sh
# Backups of the dummy phone while a preloaded library makes libgammu calls answer as real
# drivers do: calls not implemented, a corrupted entry, a category the phone lacks, a call
# that times out, a connection that fails. Each row checks the exit status, the entries in the
# backup file, the closing lines and one line of the output or the log.
# Usage: test_gammufaults.sh CELLARCHIVE_CLI GAMMUFAULTS_LIBRARY
set -u
cli="$1"
faults="$2"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/dummyphone.sh"
dummy_home
export XDG_DATA_HOME="$work"

# The main phone: 40 contacts, an event and a to-do, 12 messages (2 on the SIM, 10 in the
# phone). The photo phone: a contact with a photo of 60 KB, whose vCard passes 64 KB.
dummy_rc main.rc "$work/main"
dummy_fill main.rc 40 || { echo "cannot fill the dummy phone"; exit 1; }
printf 'BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nCATEGORIES:MEETING\r\nSUMMARY:Team meeting\r\nDTSTART:20270110T090000\r\nDTEND:20270110T100000\r\nEND:VEVENT\r\nBEGIN:VTODO\r\nSUMMARY:Buy milk\r\nDUE:20270111T120000\r\nPRIORITY:2\r\nEND:VTODO\r\nEND:VCALENDAR\r\n' >cal.vcs
gammu -c main.rc addnew cal.vcs -yes >/dev/null 2>&1 || { echo "cannot add the calendar"; exit 1; }
i=1
while [ "$i" -le 12 ]; do
    folder=3
    [ "$i" -le 2 ] && folder=1
    printf '[SMSBackup000]\nPDU = Deliver\nDateTime = 20261201T101500Z\nSMSC = "+491710760000"\nState = Read\nNumber = "+4917099887766"\nText00 = 004D00730067002000%X\nCoding = Default\nFolder = %d\nClass = -1\n' \
        $((0x40 + i)) "$folder" >sms.backup
    gammu -c main.rc addsms "$folder" sms.backup -yes >/dev/null 2>&1 || { echo "cannot add a message"; exit 1; }
    i=$((i + 1))
done
dummy_rc photo.rc "$work/photo"
python3 - <<'PY' || exit 1
import base64
data = base64.b64encode(bytes(range(256)) * 240).decode()
photo = "\r\n ".join(data[i:i + 76] for i in range(0, len(data), 76))
with open("photo.vcf", "w", newline="") as f:
    f.write("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Photo;Pia\r\nTEL;CELL:+4917000000\r\n"
            "PHOTO;ENCODING=BASE64;TYPE=JPEG:" + photo + "\r\n\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Plain;Paul\r\nTEL:+49301\r\nEND:VCARD\r\n")
PY
gammu -c photo.rc addnew photo.vcf -yes >/dev/null 2>&1 || { echo "cannot add the photo"; exit 1; }

status=0
# name|phone|faults|exit|contacts calendar messages (or "none": no file)|closing lines, ";"
# between them|a line of the output or the log
rows=$(cat <<'ROWS'
all read|main|-|0|40 2 12|-|Backup completed
no GetNextMemory|main|GetNextMemory=NOTIMPLEMENTED|0|40 2 12|-|Backup of Phonebook -> Done
no GetNextCalendar nor GetNextToDo|main|GetNextCalendar=NOTIMPLEMENTED GetNextToDo=NOTIMPLEMENTED|0|40 2 12|-|Backup of Calendar -> Done
no GetNextSMS|main|GetNextSMS=NOTIMPLEMENTED|0|40 2 12|-|Backup of SMS_Messages -> Done
third message corrupted|main|GetNextSMS#3=CORRUPTED|3|40 2 11|SMS Messages: 1 not read -> see the log|Not read -> message in folder 3 at 30001: Corrupted data returned by phone.
first message corrupted|main|GetNextSMS#1=CORRUPTED|3|40 2 11|SMS Messages: 1 not read -> see the log|Not read -> message in folder 1 at 10001: Corrupted data returned by phone.
corrupted contact in a scan|main|GetNextMemory=NOTIMPLEMENTED GetMemory#5=CORRUPTED|3|39 2 12|Phonebook: 1 not read -> see the log|Not read -> contact ME5: Corrupted data returned by phone.
corrupted contact in a listing|main|GetNextMemory#7=CORRUPTED|3|39 2 12|Phonebook: 1 not read -> see the log|Not read -> contact ME7: Corrupted data returned by phone.
corrupted message in a scan|main|GetNextSMS=NOTIMPLEMENTED GetSMS#1=CORRUPTED|3|40 2 11|SMS Messages: 1 not read -> see the log|Not read -> message in folder 1 at 10001: Corrupted data returned by phone.
no calendar|main|GetNextCalendar=NOTSUPPORTED GetCalendarStatus=NOTSUPPORTED GetNextToDo=NOTSUPPORTED GetToDoStatus=NOTSUPPORTED|3|40 0 12|Calendar: not supported by this phone|Not supported by the phone -> Calendar
no messages|main|GetNextSMS=NOTIMPLEMENTED GetSMSStatus=NOTSUPPORTED|3|40 2 0|SMS Messages: not supported by this phone|ReadPDU -> not supported in storage 2
a listing times out|main|GetNextSMS#2=TIMEOUT|1|40 2 0|SMS Messages: failed -> see the log|Gammu phone lost -> main.rc, section 0: No response in
the connection fails|main|InitConnection#1=TIMEOUT|1|none|-|cellarchive-cli: no phone: Gammu connection failed -> main.rc, section 0: No response in
a photo of 60 KB|photo|-|0|2 0 0|-|Backup completed
ROWS
)

# The program's log (in its folder, else in the data folder) is shared with other runs: a row
# looks only at the lines its run added.
logs() { cat "$(dirname "$cli")"/log/*.txt "$work"/cellarchive/log/*.txt 2>/dev/null; }
fail() { echo "FAILED: $row: $*"; failed=1; }
echo "$rows" | {
    while IFS='|' read -r row phone rules code entries closing line; do
        failed=0
        [ "$rules" = - ] && rules=
        rm -f backup.MS
        before=$(logs | wc -l)
        CELLARCHIVE_GAMMU_FAULTS="$rules" LD_PRELOAD="$faults" \
            "$cli" backup "gammu:$phone.rc" backup.MS --categories phonebook,calendar,sms \
            >out.txt 2>&1
        got=$?
        [ "$got" -eq "$code" ] || fail "exit status $got, not $code"
        if [ "$entries" = none ]; then
            [ -e backup.MS ] && fail "a backup file was written"
        else
            found="$(grep -c '<Contact Value=' backup.MS) $(grep -c '<Calendar Value=' backup.MS) $(grep -c '<SMS>' backup.MS)"
            [ "$found" = "$entries" ] || fail "contacts, calendar entries, messages: $found, not $entries"
        fi
        # The closing lines are the status lines with a category's loss; nothing else says so.
        sed -n 's/^[0-9:]* - \(.*\(-> see the log\|not supported by this phone\)\)$/\1/p' out.txt >closing.txt
        [ "$closing" = - ] && closing=
        printf '%s\n' "$closing" | tr ';' '\n' | sed '/^$/d' >expected.txt
        cmp -s closing.txt expected.txt || fail "closing lines: $(cat closing.txt)"
        # A category with a closing line is never done.
        while read -r category; do
            case "$category" in
            Phonebook:*) done="Backup of Phonebook -> Done" ;;
            Calendar:*) done="Backup of Calendar -> Done" ;;
            *) done="Backup of SMS_Messages -> Done" ;;
            esac
            grep -qF -- "$done" out.txt && fail "says \"$done\""
        done <closing.txt
        { cat out.txt; logs | tail -n "+$((before + 1))"; } |
            grep -qF -- "$line" || fail "no line \"$line\""
        [ "$failed" -eq 0 ] || { cat out.txt; status=1; }
    done
    exit "$status"
}
status=$?

# A backup onto an old file that backs nothing up keeps it byte for byte, whether the category
# is not supported or every category asked for fails.
"$cli" backup gammu:main.rc keep.MS --categories phonebook >/dev/null 2>&1 || status=1
cp keep.MS keep.orig
while IFS='|' read -r row rules categories code; do
    CELLARCHIVE_GAMMU_FAULTS="$rules" LD_PRELOAD="$faults" \
        "$cli" backup gammu:main.rc keep.MS --categories "$categories" --overwrite >out.txt 2>&1
    got=$?
    { [ "$got" -eq "$code" ] && cmp -s keep.MS keep.orig &&
        grep -q 'Nothing was backed up; .*keep.MS is kept' out.txt &&
        ! grep -q 'Removed old file' out.txt; } ||
        { cat out.txt; echo "FAILED: $row: exit $got, not $code, or the old file changed"; status=1; }
done <<'ROWS'
no profiles on the phone||profiles|3
no calendar|GetNextCalendar=NOTSUPPORTED GetCalendarStatus=NOTSUPPORTED GetNextToDo=NOTSUPPORTED GetToDoStatus=NOTSUPPORTED|calendar|3
the first listing times out|GetNextSMS#1=TIMEOUT|sms|1
ROWS
exit "$status"
