#!/bin/sh
# Round trip through libgammu's dummy phone: back one up with cellarchive-cli, restore the
# file into an empty dummy phone, back that up again and compare; cross-check the restored
# phone with the gammu command; then pull the phone away in the middle of a run.
# Usage: test_dummyphone.sh CELLARCHIVE_CLI
set -u
cli="$1"
here=$(dirname "$0")
. "$here/dummyphone.sh"
dummy_home
g() { gammu -c "$1" "$@" >/dev/null 2>&1; }

# The original phone: contacts in the phone memory and on the SIM, a calendar entry and a
# to-do, SMS in both storages: received 7-bit on the SIM, received and sent UCS-2 in the phone.
dummy_rc a.rc "$work/a"
cat >me.vcf <<'VCF'
BEGIN:VCARD
VERSION:2.1
N;CHARSET=UTF-8:Weiß;Jörg
TEL;CELL:+491701234567
TEL;HOME:+49301234567
TEL;WORK:+49891234
EMAIL:joerg@example.org
END:VCARD
BEGIN:VCARD
VERSION:2.1
N;CHARSET=UTF-8:Berg;Zoë
TEL;CELL:+4917099887766
END:VCARD
VCF
printf 'BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=UTF-8:Ström;Åsa\nTEL:+46701112233\nEND:VCARD\n' >sm.vcf
cat >cal.vcs <<'VCS'
BEGIN:VCALENDAR
VERSION:1.0
BEGIN:VEVENT
CATEGORIES:MEETING
SUMMARY:Team meeting
LOCATION:Room 4
DTSTART:20270110T090000
DTEND:20270110T100000
END:VEVENT
BEGIN:VTODO
SUMMARY:Buy milk
DUE:20270111T120000
PRIORITY:2
END:VTODO
END:VCALENDAR
VCS
sms() { # FOLDER PDU STATE CODING TEXT00
    printf '[SMSBackup000]\nPDU = %s\nDateTime = 20261201T101500Z\nSMSC = "+491710760000"\nState = %s\nNumber = "+4917099887766"\nText00 = %s\nCoding = %s\nFolder = %s\nClass = -1\n' \
        "$2" "$3" "$5" "$4" "$1" >sms.backup
    gammu -c a.rc addsms "$1" sms.backup -yes >/dev/null 2>&1
}
gammu -c a.rc addnew me.vcf -yes >/dev/null 2>&1 &&
    gammu -c a.rc addnew sm.vcf -yes -memory SM >/dev/null 2>&1 &&
    gammu -c a.rc addnew cal.vcs -yes >/dev/null 2>&1 || { echo "cannot fill the dummy phone"; exit 1; }
sms 1 Deliver UnRead Default 00480065006C006C006F002C0020007200650063006500690076006500640021
sms 3 Deliver Read Unicode_No_Compression 0047007200FC00DF00650020263A0020041F04400438043204350442
sms 4 Submit Sent Unicode_No_Compression 00530074007200F60020263A

status=0
fail() { echo "FAILED: $*"; status=1; }
# libgammu has no data accounts or profiles of the dummy phone: both backups name them and end
# with status 3.
backup() { # RC FILE
    "$cli" backup "gammu:$1" "$2" >"$2.out" 2>&1
    code=$?
    [ "$code" -eq 3 ] && [ "$(grep -c -- '-> see the log' "$2.out")" -eq 2 ] &&
        grep -q 'Data Accounts: failed' "$2.out" && grep -q 'Profiles: failed' "$2.out" ||
        { cat "$2.out"; fail "backup of $1 ended with $code"; }
}
backup a.rc a.MS
dummy_rc b.rc "$work/b"
# The dummy driver keeps no bookmarks: the restore says so and ends with status 3.
"$cli" restore gammu:b.rc a.MS >restore.out 2>&1
code=$?
[ "$code" -eq 3 ] && grep -q 'Bookmarks: 2 not written' restore.out &&
    [ "$(grep -c -- '-> see the log' restore.out)" -eq 1 ] ||
    { cat restore.out; fail "restore ended with $code"; }
backup b.rc b.MS

# Section by section; the one documented difference: a restore writes every contact into
# the phone memory, so the SIM contact comes back marked ME.
for section in Contacts Calendar SMS_Messages Bookmarks Settings_Time; do
    sed -n "/^<$section>/,/^<$section\/>/p" a.MS | sed 's/X-GAMMU-MEMORY:SM/X-GAMMU-MEMORY:ME/' >"a.$section"
    sed -n "/^<$section>/,/^<$section\/>/p" b.MS >"b.$section"
    [ -s "a.$section" ] || fail "no $section section in the first backup"
    cmp -s "a.$section" "b.$section" || { diff "a.$section" "b.$section"; fail "$section differs"; }
done
[ "$(grep -c '<Contact Value=' a.MS)" -eq 3 ] || fail "the backup lacks contacts of ME or SM"
[ "$(grep -c '<SMS>' a.MS)" -eq 3 ] || fail "the backup lacks messages"

# The gammu command reads back on the restored phone what the original held.
gammu -c b.rc getallmemory ME >memory.txt 2>&1
gammu -c b.rc getallsms >sms.txt 2>&1
gammu -c b.rc getallcalendar >calendar.txt 2>&1
gammu -c b.rc getalltodo >todo.txt 2>&1
for expected in 'memory.txt:"Weiß"' 'memory.txt:"Jörg"' 'memory.txt:"Zoë"' 'memory.txt:"Ström"' \
    'memory.txt:"Åsa"' 'memory.txt:"+49891234"' 'memory.txt:"+49301234567"' \
    'memory.txt:"+46701112233"' 'sms.txt:Hello, received!' 'sms.txt:Grüße ☺ Привет' \
    'sms.txt:Strö ☺' 'sms.txt:Status               : UnRead' 'sms.txt:SIM memory, Inbox' \
    'calendar.txt:"Team meeting"' 'calendar.txt:"Room 4"' 'todo.txt:"Buy milk"'; do
    grep -qF -- "${expected#*:}" "${expected%%:*}" || fail "gammu does not show ${expected#*:} in ${expected%%:*}"
done
[ "$status" -eq 0 ] || cat memory.txt sms.txt calendar.txt todo.txt

# The phone goes away in the middle of a run: the run ends early, in order, exit status 1.
dummy_rc c.rc "$work/c"
dummy_fill c.rc 400
"$cli" backup gammu:c.rc c.MS >c.out 2>&1 &
run=$!
waited=0
while ! grep -q 'Backup of phonebook has started' c.out && [ "$waited" -lt 600 ]; do
    sleep 0.1
    waited=$((waited + 1))
done
rm -rf "$work/c"
timeout 60 sh -c "while kill -0 $run 2>/dev/null; do sleep 0.2; done" || fail "the run did not end"
wait "$run"
code=$?
[ "$code" -eq 1 ] || fail "a run that lost the phone ended with $code"
grep -q 'Lost connection to phone' c.out || fail "no 'Lost connection to phone' line"
grep -q 'Backup completed' c.out && fail "a run that lost the phone says it completed"
[ "$status" -eq 0 ] || cat c.out

# A missing configuration names the file, the section and libgammu's text.
"$cli" backup gammu:"$work/none.rc":2 none.MS >none.out 2>&1 && fail "a missing configuration ran"
grep -q "Gammu configuration failed -> $work/none.rc, section 2: " none.out ||
    { cat none.out; fail "no clear line for a missing configuration"; }
exit $status
