#!/bin/sh
# Runs a person stops, and runs that cannot start, on the simulated phone (a phone image) and on
# the AT phone of a serial line (`phone serial`, reached by libgammu): each row checks the exit
# status, the files afterwards and the closing lines.
# Usage: test_stops.sh CELLARCHIVE_CLI
set -u
cli="$1"
here=$(cd "$(dirname "$0")" && pwd)
command -v gammu >/dev/null 2>&1 || { echo "gammu is not installed"; exit 77; }
command -v python3 >/dev/null 2>&1 || { echo "python3 is not installed"; exit 77; }
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work/home" LC_ALL=C.UTF-8
unset CELLARCHIVE_PHONE XDG_CONFIG_HOME
mkdir -p "$HOME"
cd "$work" || exit 1
status=0
fail() { echo "FAILED: $*"; status=1; }

printf '[gammu]\nconnection = at\ndevice = %s/port\n' "$work" >at.rc
printf '[gammu]\nconnection = at\ndevice = %s/nothere\n' "$work" >gone.rc
# image NAME CONTACTS CAPACITY LATENCY: the demo phone with CONTACTS more contacts, a phonebook
# of CAPACITY and answers LATENCY ms late; BLANK instead of CONTACTS makes a blank phone.
"$cli" phone init demo.json >/dev/null && "$cli" phone init blank.json --blank >/dev/null || exit 1
image() {
    python3 - "$@" <<'EOF'
import json, sys
name, contacts, capacity, latency = sys.argv[1:5]
d = json.load(open("blank.json" if contacts == "BLANK" else "demo.json"))
if contacts != "BLANK":
    for i in range(int(contacts)):
        d["phonebook"].append({"luid": str(1000 + i), "data":
            "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Person;Number %d\r\nTEL;CELL:+4670%07d\r\nEND:VCARD" % (i, i)})
d["phonebookCapacity"] = int(capacity)
d["latencyMs"] = int(latency)
json.dump(d, open(name, "w"))
EOF
}
image big.json 900 1000 0
image slow.json 900 1000 1000
image slowblank.json BLANK 1000 150
image fullsim.json BLANK 5 0
image fullat.json BLANK 5 0
"$cli" backup demo.json demo.MS >/dev/null || fail "no backup of the demo phone"
"$cli" backup big.json big.MS --categories phonebook >/dev/null || fail "no backup of the big phone"
cp big.MS big.orig

# serve IMAGE: the phone of IMAGE on the line behind ./port.
serve() {
    rm -f port
    "$cli" phone serial "$1" --link "$work/port" >serial.out 2>&1 &
    server=$!
    waited=0
    while [ ! -L port ] && [ "$waited" -lt 100 ]; do sleep 0.05; waited=$((waited + 1)); done
    [ -L port ] || fail "no line for $1"
}
unserve() {
    [ -n "$server" ] && { kill "$server" 2>/dev/null; wait "$server"; }
    server=
}
now() { date +%s%N; }

# row NAME PHONE SIGNALS STATUS FILES LINES -- ARGS: runs cellarchive-cli ARGS on PHONE (IMAGE
# itself, at:IMAGE served on the line as gammu:at.rc, or "-" for none) with PHONE replaced in
# ARGS. SIGNALS go half a second apart once the run writes or reads its first list or message; a
# second one must end the program within two seconds. FILES is a shell condition on the files
# afterwards, LINES the closing lines the output must hold, separated by |.
row() {
    name=$1 phone=$2 signals=$3 want=$4 files=$5 lines=$6
    shift 7
    given=$phone
    case $phone in at:*) serve "${phone#at:}"; given=gammu:at.rc ;; esac
    args=
    for arg in "$@"; do args="$args $(printf '%s' "$arg" | sed "s|PHONE|$given|")"; done
    # Started itself, not under timeout(1), which would pass the signals on as it likes; the
    # test's own time limit guards the run.
    # shellcheck disable=SC2086
    "$cli" $args >"$name.out" 2>&1 &
    run=$!
    if [ -n "$signals" ]; then
        waited=0
        until grep -qE 'Added a contact|Backup of phonebook has started|Read SMS Message' "$name.out" ||
            [ "$waited" -gt 600 ]; do sleep 0.1; waited=$((waited + 1)); done
        for signal in $signals; do
            sleep 0.5
            sent=$(now)
            kill -s "$signal" "$run"
        done
    fi
    wait "$run"
    code=$?
    # A second signal ends the program at once; a first one lets the category end.
    if [ "$signals" != "${signals% *}" ] && [ $(( ($(now) - sent) / 1000000 )) -gt 2000 ]; then
        fail "$name: the second signal took more than two seconds to end the program"
    fi
    unserve
    [ "$code" -eq "$want" ] || fail "$name ended with $code, not $want"
    eval "$files" || { fail "$name left other files: $files"; ls; tail -n 5 "$name.out"; }
    echo "$lines" | tr '|' '\n' | while IFS= read -r line; do
        [ -z "$line" ] || grep -qF -- "$line" "$name.out" || { echo "FAILED: $name does not say: $line"; touch failed; }
    done
    [ -e failed ] && { rm -f failed; status=1; tail -n 15 "$name.out"; }
}
keep() { cp "$1" keep.MS && cp "$1" keep.orig; }
# holds IMAGE OUT: the image, its journal folded in, holds as many contacts as OUT says were
# written, or one more: the one in flight when the program ended may have reached the phone.
holds() {
    kept=$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["phonebook"]))' "$1")
    written=$(sed -n 's/^.* - Phonebook: .*, \([0-9]*\) written.*$/\1/p' "$2")
    [ ! -e "$1.journal" ] && [ -n "$written" ] &&
        { [ "$kept" -eq "$written" ] || [ "$kept" -eq $((written + 1)) ]; }
}
same() { cmp -s keep.MS keep.orig; }

keep demo.MS
row sim-backup-int-int slow.json "INT INT" 1 'same && [ ! -e keep.incomplete.MS ]' \
    'stopping at once|Backup stopped at once by the user|SMS Messages: not backed up (the run was stopped)|Nothing was backed up; ' \
    -- backup PHONE keep.MS --overwrite --categories sms,time
row sim-restore-int-int slowblank.json "INT INT" 1 'cmp -s big.MS big.orig && holds slowblank.json sim-restore-int-int.out' \
    'Restore stopped at once by the user, nothing more was sent|Phonebook: 913 in the file, 0 already on the phone' \
    -- restore PHONE big.MS
# The run ended at once: the image's journal holds what was written, and goes with it.
rm -f slowblank.json.journal
image slowblank.json BLANK 1000 150
row sim-restore-term slowblank.json "TERM" 1 'true' \
    'stopping after the category in progress|Restore stopped by the user|Not written, the run was stopped -> ' \
    -- restore PHONE demo.MS
row sim-full fullsim.json "" 3 'true' \
    "The phone's memory is full: 5 of 5 contacts -> 8 not written" -- restore PHONE demo.MS
keep demo.MS
row at-backup-int-int at:big.json "INT INT" 1 'same && [ -e keep.incomplete.MS ]' \
    'Backup stopped at once by the user|Phonebook: not backed up (the run was stopped)|The previous backup is kept -> ' \
    -- backup PHONE keep.MS --overwrite
rm -f keep.incomplete.MS
row at-restore-int-int at:blank.json "INT INT" 1 'cmp -s big.MS big.orig' \
    'Restore stopped at once by the user, nothing more was sent|Phonebook: 913 in the file, 0 already on the phone' \
    -- restore PHONE big.MS
row at-backup-term-term at:big.json "TERM TERM" 1 '[ ! -e new.MS ] && grep -q "^<Contacts>" new.incomplete.MS' \
    'Backup stopped at once by the user|No section was backed up whole -> nothing was written to ' \
    -- backup PHONE new.MS
row at-full at:fullat.json "" 3 'true' \
    "The phone's memory is full: 5 of 5 contacts -> 8 not written" -- restore PHONE demo.MS
row missing-section - "" 1 '[ ! -e x.MS ]' 'No such section exists. (sections there: 0)' \
    -- backup gammu:at.rc:9 x.MS
row missing-device - "" 1 '[ ! -e x.MS ]' "the device $work/nothere does not exist" \
    -- backup gammu:gone.rc x.MS
row no-configuration - "" 1 '[ ! -e x.MS ] && [ ! -e "$HOME/.local/share/cellarchive/phones" ]' \
    'gammu looks for|To try the demo phone: cellarchive-cli phone init demo.json, then --phone demo.json' \
    -- backup x.MS

# The progress line: on a terminal, rewritten in place on standard error; nothing in a pipe.
rm -f slowblank.json.journal
image slowblank.json BLANK 1000 20
python3 "$here/progressline.py" "$cli" slowblank.json demo.MS big.json ||
    fail "the progress line"

# A second program on the line while a backup holds it.
serve slow.json
timeout 300 "$cli" backup gammu:at.rc first.MS >first.out 2>&1 &
first=$!
waited=0
until grep -q 'Backup of phonebook has started' first.out || [ "$waited" -gt 600 ]; do
    sleep 0.1
    waited=$((waited + 1))
done
timeout 120 "$cli" backup gammu:at.rc second.MS >busy.out 2>&1
code=$?
kill -s INT "$first"
kill -s INT "$first"
wait "$first"
unserve
[ "$code" -eq 1 ] || fail "the second program ended with $code, not 1"
grep -qF 'The phone is in use by another program, perhaps another Cellarchive window' busy.out ||
    { cat busy.out; fail "the second program is not told that the phone is in use"; }
[ ! -e second.MS ] || fail "the second program wrote a file"
exit "$status"
