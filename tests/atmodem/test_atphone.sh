#!/bin/sh
# The simulated phone on a serial line, reached by libgammu's own AT driver: the gammu command,
# then Cellarchive's backup and restore through gammu:RC, then the faults of the "at" member.
# Usage: test_atphone.sh CELLARCHIVE_CLI
set -u
cli="$1"
here=$(cd "$(dirname "$0")" && pwd)
command -v gammu >/dev/null 2>&1 || { echo "gammu is not installed"; exit 77; }
command -v python3 >/dev/null 2>&1 || { echo "python3 is not installed"; exit 77; }
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work" LC_ALL=C.UTF-8
cd "$work" || exit 1
status=0
fail() { echo "FAILED: $*"; status=1; }

printf '[gammu]\nconnection = at\ndevice = %s/port\n' "$work" >at.rc
printf '[gammu]\nconnection = at\nmodel = atobex\ndevice = %s/port\n' "$work" >obex.rc
"$cli" phone init demo.json >/dev/null && "$cli" phone init blank.json --blank >/dev/null || exit 1

# serve IMAGE: the phone of IMAGE on the line behind ./port, until stop.
serve() {
    "$cli" phone serial "$1" --link "$work/port" >"$1.serial" 2>&1 &
    server=$!
    waited=0
    while [ ! -L port ] && [ "$waited" -lt 100 ]; do sleep 0.05; waited=$((waited + 1)); done
    [ -L port ] || fail "no line for $1"
}
stop() {
    kill "$server" 2>/dev/null
    wait "$server"
    server=
}
# with_faults IMAGE FAULTS_JSON NEW: a copy of IMAGE with these faults.
with_faults() {
    python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); d["faults"]={"at":json.loads(sys.argv[2])}; json.dump(d,open(sys.argv[3],"w"))' "$1" "$2" "$3"
}

# gammu's AT driver against the demo phone, in order: each command's output holds the text.
printf 'BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8:Ström;Åsa\r\nTEL;CELL:+46701112233\r\nEND:VCARD\r\n' >new.vcf
serve demo.json
while IFS='|' read -r args expected absent; do
    # shellcheck disable=SC2086
    timeout 120 gammu -c at.rc $args >out.txt 2>&1
    code=$?
    { [ "$code" -eq 0 ] && { [ -z "$expected" ] || grep -qF -- "$expected" out.txt; } &&
        { [ -z "$absent" ] || ! grep -qF -- "$absent" out.txt; }; } ||
        { cat out.txt; fail "gammu $args ($code): wanted '$expected', not '$absent'"; }
done <<'CASES'
identify|IMEI                 : 354123061028348|
identify|Model                : unknown (BVT610)|
getallmemory ME|Name                 : "José Álvarez"|
getallmemory ME|General number       : "+393489998877"|
getallmemory SM||Name
getallsms|Добро пожаловать!|
getallsms|Status               : UnRead|
addnew new.vcf -yes||
getallmemory ME|Name                 : "Ström"|
deleteallmemory ME||
getallmemory ME||Name
savesms TEXT -folder 2 -text Written_over_AT||
getallsms|Written_over_AT|
CASES
stop
[ -e port ] && fail "the link outlived the line"
[ -e demo.json.journal ] && fail "the journal was not folded at SIGTERM"
# The demo phone held five messages; the one written is the sixth.
[ "$(python3 -c 'import json; d=json.load(open("demo.json")); print(sum(len(s["messages"]) for s in d["sms"].values()))')" -eq 6 ] ||
    fail "the written message is not in the image"

# Cellarchive through the AT driver: back the demo phone up, restore into a blank one, back
# that up and compare. By default only the categories the phone serves are backed up; the
# time settings have no libgammu call on AT, and the calendar needs OBEX.
"$cli" phone init demo.json --overwrite >/dev/null
run() { # EXPECTED_STATUS CLI_ARGS...
    want=$1
    shift
    timeout 300 "$cli" "$@" >run.out 2>&1
    code=$?
    [ "$code" -eq "$want" ] || { cat run.out; fail "cellarchive-cli $* ended with $code, not $want"; }
}
serve demo.json
# Without OBEX the phone has no calendar: libgammu says so as the phone connects, so it is
# not part of the default backup; asked for by name, it is named.
run 3 backup gammu:at.rc calendar.MS --categories calendar
grep -q 'Calendar: not supported by this phone' run.out || fail "the missing calendar is not named"
run 0 backup gammu:at.rc a.MS
grep -q 'Calendar' run.out && fail "the default backup tried the missing calendar"
stop
# The messages as the image path reads them: the same PDUs, but for what libgammu's AT reader
# does not return (the first octet's bits 0x04, 0x20 and 0x80, and TP-PID).
run 0 backup demo.json image.MS
python3 "$here/pdus.py" same image.MS a.MS || fail "the AT backup's PDUs differ from the image's"
# Into a blank phone, the AT backup comes back but for the time zones the AT driver cannot
# write; the contacts are whole, as the AT backup holds them as name and number.
serve blank.json
run 3 restore gammu:at.rc a.MS
grep -qF 'SMS Messages: 3 stored without their time zone -> see the log' run.out ||
    fail "the lost time zones are not named"
run 0 backup gammu:at.rc b.MS
stop
sed -n '/^<Contacts>/,/^<Contacts\/>/p' a.MS >a.Contacts
sed -n '/^<Contacts>/,/^<Contacts\/>/p' b.MS >b.Contacts
[ -s a.Contacts ] || fail "no Contacts section in the first backup"
cmp -s a.Contacts b.Contacts || { diff a.Contacts b.Contacts; fail "Contacts differ"; }
python3 "$here/pdus.py" wallclock a.MS b.MS || fail "the restored messages differ"

# The demo phone's whole backup into a blank AT phone: each contact as its whole name and one
# of its own numbers, the mobile first; what the phone cannot hold named, nothing called
# missing; a second run writes nothing.
"$cli" phone init blank2.json --blank >/dev/null || exit 1
serve blank2.json
run 3 restore gammu:at.rc image.MS
cp run.out first.out
run 3 restore gammu:at.rc image.MS
stop
while IFS= read -r expected; do
    for out in first.out run.out; do
        grep -qF -- "$expected" "$out" || { cat "$out"; fail "$out does not say: $expected"; }
    done
done <<'LINES'
Phonebook: 7 on the phone as name and number only (this phone keeps one name and one number) -> see the log
SMS Messages: 3 stored without their time zone -> see the log
Calendar: not supported by this phone
Data Accounts: not supported by this phone
Profiles: not supported by this phone
Restore verified: 13 contacts, 0 calendar entries, 5 messages on the phone; kept in part: 7 contacts, 3 messages
LINES
grep -qF 'Phonebook: 13 in the file, 13 already on the phone, 0 written' run.out &&
    grep -qF 'SMS Messages: 5 in the file, 5 already on the phone, 0 written' run.out ||
    fail "the second restore wrote again"
grep -q 'missing\|Restoring\|failed' first.out run.out && fail "a restore calls something missing or failed"
python3 "$here/pdus.py" names image.MS blank2.json || fail "a contact lost its name or number"
[ "$(grep -c '<Contact Value=' a.MS)" -eq 13 ] || fail "the backup lacks contacts"
[ "$(grep -c '<SMS>' a.MS)" -eq 5 ] || fail "the backup lacks messages"
grep -q 'N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Jos=C3=A9 =C3=81lvarez' a.MS ||
    fail "a name in UCS2 did not come through"

# Another program changes the image while the line serves it: the line answers from the image
# as it is now. A master reset through the image path (it empties the phonebook and keeps the
# messages), then a restore through the line writes every contact again.
"$cli" phone init shared.json >/dev/null
"$cli" backup shared.json time.MS --categories time >/dev/null || fail "no time settings to reset with"
serve shared.json
run 0 backup gammu:at.rc before.MS --categories phonebook
timeout 300 "$cli" restore shared.json time.MS --master-reset 7391 >reset.out 2>&1 ||
    { cat reset.out; fail "the master reset through the image failed"; }
run 0 restore gammu:at.rc a.MS
grep -q 'Phonebook: 13 in the file, 0 already on the phone, 13 written' run.out &&
    grep -q 'SMS Messages: 5 in the file, 5 already on the phone, 0 written' run.out ||
    { cat run.out; fail "the line served the image from before the master reset"; }
stop
count() { python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); print(len(d.get("phonebook", [])), sum(len(s["messages"]) for s in d.get("sms", {}).values()))' "$1"; }
[ "$(count shared.json)" = "13 5" ] || fail "after the restore through the line the image holds $(count shared.json)"
# A restore through the image path, then a backup through the line sees it.
"$cli" phone init seen.json --blank >/dev/null
serve seen.json
run 0 backup gammu:at.rc empty.MS --categories phonebook
timeout 300 "$cli" restore seen.json a.MS >restore.out 2>&1 || { cat restore.out; fail "the restore through the image failed"; }
run 0 backup gammu:at.rc seen.MS
stop
[ "$(grep -c '<Contact Value=' seen.MS)" -eq 13 ] && [ "$(grep -c '<SMS>' seen.MS)" -eq 5 ] ||
    { cat run.out; fail "the backup through the line did not see the restore through the image"; }

# A backup onto an old file that backs nothing up keeps it: a phone on a line has no
# profiles, and a silent one fails at once.
cp a.MS keep.orig
cp a.MS keep.MS
serve demo.json
run 3 backup gammu:at.rc keep.MS --categories profiles --overwrite
grep -q "Nothing was backed up; .*keep.MS is kept" run.out || { cat run.out; fail "no line says the old file is kept"; }
stop
cmp -s keep.MS keep.orig || fail "a backup of nothing replaced the old file"

# The calendar over OBEX on the same line (AT+CPROT=0), for an image that offers it.
python3 -c 'import json; d=json.load(open("demo.json")); d["atObex"]=True; json.dump(d,open("obex.json","w"))'
serve obex.json
run 0 backup gammu:obex.rc cal.MS --categories calendar
stop
grep -q 'SUMMARY:Dentist' cal.MS && grep -q 'LOCATION:Harbour Dental Clinic' cal.MS ||
    fail "the calendar did not come over OBEX"

# Faults. A phone that falls silent in the middle of the phonebook: the run ends with status 1,
# in the time timeout allows (about a minute of libgammu's time-outs).
with_faults demo.json '{"silentAfterCommands": 40}' silent.json
serve silent.json
run 1 backup gammu:at.rc silent.MS
grep -q 'Phonebook: failed' run.out || fail "the silent phone's run does not name the phonebook"
# Told once, in the status lines and at the same time in the log (in Windows-1252, where the
# ellipsis is a byte of its own), while libgammu still waits.
waiting=$(grep 'Waiting for the phone to answer …' run.out)
log=$(sed -n 's/^.* - Log -> \(.*\)$/\1/p' run.out)
[ "$(echo "$waiting" | grep -c .)" -eq 1 ] &&
    grep -q "	${waiting%% *}	Waiting for the phone to answer" "$log" ||
    { cat run.out; fail "the silent phone is not told of once"; }
stop
# The line cut in the middle of the phonebook: the previous backup stays whole.
cp a.MS keep.MS
cp a.MS keep.orig
with_faults demo.json '{"cutAfterCommands": 40}' cut.json
serve cut.json
run 1 backup gammu:at.rc keep.MS --overwrite
wait "$server" 2>/dev/null
server=
grep -q "Line cut after command 40" cut.json.serial || { cat cut.json.serial run.out; fail "the line was not cut"; }
cmp -s keep.MS keep.orig || fail "a cut line changed the previous backup"
# Served again, the phone is found again.
serve demo.json
run 0 backup gammu:at.rc keep.MS --overwrite
stop
# A corrupt message: the run ends with status 3 and says which category lacks items.
with_faults demo.json '{"corruptPduAtMessage": 2}' corrupt.json
serve corrupt.json
run 3 backup gammu:at.rc corrupt.MS --categories sms
stop
grep -q 'SMS Messages: ' run.out || fail "the corrupt message is not reported"
# +CME ERROR for the phonebook read: gammu reports the phone's refusal.
with_faults demo.json '{"cmeErrors": {"+CPBR": 4}}' refused.json
serve refused.json
timeout 60 gammu -c at.rc getallmemory ME >out.txt 2>&1 && fail "a refused read succeeded"
stop
# Answers late, but in order: gammu still identifies the phone.
with_faults demo.json '{"delayMs": 150}' slow.json
serve slow.json
timeout 120 gammu -c at.rc identify >out.txt 2>&1 && grep -q 'BVT610' out.txt ||
    { cat out.txt; fail "a slow phone was not identified"; }
stop
exit "$status"
