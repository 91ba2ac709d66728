#!/bin/sh
# Restores into libgammu's dummy phone through cellarchive-cli: twice, into the phone the
# backup came from, with two identical contacts, into a phone that loses a contact it took,
# and with the phone pulled away in the middle.
# Usage: test_restoregammu.sh CELLARCHIVE_CLI DUMMYFAULTS_LIBRARY
set -u
cli="$1"
faults="$2"
here=$(dirname "$0")
command -v gammu >/dev/null 2>&1 || { echo "gammu is not installed"; exit 77; }
. "$here/../realphone/dummyphone.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work" LC_ALL=C.UTF-8
cd "$work" || exit 1
status=0
fail() { echo "FAILED: $*"; status=1; }

# run NAME CODE ARGS...: a cellarchive-cli run whose output goes to NAME.out; it must end with CODE.
run() {
    name=$1 want=$2
    shift 2
    "$cli" "$@" >"$name.out" 2>&1
    code=$?
    [ "$code" -eq "$want" ] || { cat "$name.out"; fail "$name ended with $code, not $want"; }
}
says() { grep -qF -- "$2" "$1.out" || { cat "$1.out"; fail "$1 does not say: $2"; }; }
# Everything the dummy phone in folder NAME holds: its files (not its log of operations).
contents() {
    (cd "$work/$1" && find . -type f ! -name operations.log -exec md5sum {} + | sort)
}

# The phone the backup comes from: twenty contacts, an event, a to-do and two messages.
dummy_rc a.rc "$work/a"
dummy_fill a.rc 20 || { echo "cannot fill the dummy phone"; exit 1; }
printf 'BEGIN:VCALENDAR\nVERSION:1.0\nBEGIN:VEVENT\nSUMMARY:Choir\nDTSTART:20270110T190000\nDTEND:20270110T210000\nEND:VEVENT\nBEGIN:VTODO\nSUMMARY:Buy milk\nDUE:20270111T120000\nPRIORITY:1\nEND:VTODO\nEND:VCALENDAR\n' >cal.vcs
gammu -c a.rc addnew cal.vcs -yes >/dev/null 2>&1 || { echo "cannot fill the calendar"; exit 1; }
for folder in 1 4; do
    printf '[SMSBackup000]\nSMSC = "+491710760000"\nState = %s\nNumber = "+4917099887766"\nText00 = 00480069\nCoding = Default\nFolder = %s\nClass = -1\n' \
        "$([ $folder -eq 1 ] && echo Read || echo Sent)" "$folder" >sms.backup
    gammu -c a.rc addsms "$folder" sms.backup -yes >/dev/null 2>&1 || { echo "cannot add a message"; exit 1; }
done
run backup 0 backup gammu:a.rc lists.MS --categories phonebook,calendar,sms
verified='Restore verified: 20 contacts, 2 calendar entries, 2 messages on the phone'
# The dummy phone hands a to-do's priority back the other way round: that to-do is on the
# phone, stored differently, on every run.
priority='Calendar: 1 stored with another priority by the phone -> see the log'

# Into the phone it came from: nothing written, the phone unchanged.
contents a >a.before
run own 0 restore gammu:a.rc lists.MS
says own 'Phonebook: 20 in the file, 20 already on the phone, 0 written'
says own 'Calendar: 2 in the file, 2 already on the phone, 0 written'
says own 'SMS Messages: 2 in the file, 2 already on the phone, 0 written'
says own "$verified"
contents a | cmp -s - a.before || fail "a restore into its own phone changed it"

# Into an empty phone, twice: the second run writes nothing and changes nothing.
dummy_rc b.rc "$work/b"
run first 3 restore gammu:b.rc lists.MS
says first 'Phonebook: 20 in the file, 0 already on the phone, 20 written'
says first "$priority"
says first "$verified; kept in part: 1 calendar entry"
contents b >b.before
run second 3 restore gammu:b.rc lists.MS
says second 'Phonebook: 20 in the file, 20 already on the phone, 0 written'
says second 'Calendar: 2 in the file, 2 already on the phone, 0 written'
says second 'SMS Messages: 2 in the file, 2 already on the phone, 0 written'
says second "$priority"
says second "$verified; kept in part: 1 calendar entry"
contents b | cmp -s - b.before || fail "the second restore changed the phone"

# A sent message whose service centre the phone drops is not written again.
sed 's/<PDU value=0011/<PDU value=079194710167000011/' lists.MS >centre.MS
grep -q 'PDU value=079194710167000011' centre.MS || fail "no sent message with a service centre"
dummy_rc c.rc "$work/c"
run centre 3 restore gammu:c.rc centre.MS
run centre-again 3 restore gammu:c.rc centre.MS
says centre-again 'SMS Messages: 2 in the file, 2 already on the phone, 0 written'
says centre-again "$verified; kept in part: 1 calendar entry"

# Two identical contacts give two, and a second run adds none.
contact=$(grep -m1 '<Contact Value=' lists.MS)
printf '<Contacts>\r\n%s\r\n%s\r\n<Contacts/>\r\n' "$contact" "$contact" >twins.MS
dummy_rc e.rc "$work/e"
run twins 0 restore gammu:e.rc twins.MS
says twins 'Phonebook: 2 in the file, 0 already on the phone, 2 written'
run twins-again 0 restore gammu:e.rc twins.MS
says twins-again 'Phonebook: 2 in the file, 2 already on the phone, 0 written'
[ "$(gammu -c e.rc getallmemory ME 2>&1 | grep -c '^Memory ME, Location')" -eq 2 ] || fail "the phone does not hold two twins"

# New contacts go to the free locations the read before found, the holes first, and never
# over an entry of the phone.
contacts=$(grep '<Contact Value=' lists.MS | head -n 3 | tr -d '\r' | sed 's/$/\r/')
printf '<Contacts>\r\n%s\n<Contacts/>\r\n' "$contacts" >three.MS
dummy_rc h.rc "$work/h"
mkdir -p h/pbk/ME
for i in 1 2 4; do
    printf 'BEGIN:VCARD\r\nVERSION:2.1\r\nN:Kept %d;\r\nTEL:+4930%d\r\nEND:VCARD\r\n' "$i" "$i" >"h/pbk/ME/$i"
done
(cd h/pbk/ME && md5sum 1 2 4) >h.kept
run holes 0 restore gammu:h.rc three.MS
says holes 'Phonebook: 3 in the file, 0 already on the phone, 3 written'
[ "$(ls h/pbk/ME | sort -n | tr '\n' ' ')" = "1 2 3 4 5 6 " ] || fail "the contacts did not go to 3, 5 and 6"
(cd h/pbk/ME && md5sum -c --quiet "$work/h.kept") || fail "a contact of the phone was written over"

# A phone that takes the third contact and loses it: named as missing, exit status 3.
dummy_rc f.rc "$work/f"
LD_PRELOAD="$faults" CELLARCHIVE_LOSE_ADD=3 run lossy 3 restore gammu:f.rc lists.MS
says lossy 'Phonebook: 20 in the file, 0 already on the phone, 20 written'
says lossy 'Phonebook: 1 missing after the restore -> see the log'
grep -q 'Restore verified' lossy.out && fail "a restore that lost a contact says it was verified"

# The phone goes away right after the fifth contact: the run stops at once, exit status 1,
# and sends nothing after the loss.
dummy_rc d.rc "$work/d"
LD_PRELOAD="$faults" CELLARCHIVE_PULL_AFTER_ADD=5 CELLARCHIVE_PULL_FOLDER="$work/d" \
    run lost 1 restore gammu:d.rc lists.MS
says lost 'Lost connection to phone'
says lost 'Restore stopped -> the phone went away, nothing more was sent'
says lost 'Phonebook: 20 in the file, 0 already on the phone, 5 written, 15 not written'
says lost 'Not written, the phone went away -> Calendar, SMS Messages'
[ "$(sed -n '/Lost connection to phone/,$p' lost.out | grep -c 'Added a')" -eq 0 ] ||
    fail "entries were sent after the phone went away"
[ "$(find "$work/d.pulled/pbk" -type f | wc -l)" -eq 5 ] || fail "the pulled phone holds more than five contacts"
grep -q 'Restore finished' lost.out && fail "a restore that lost the phone says it finished"
exit $status
