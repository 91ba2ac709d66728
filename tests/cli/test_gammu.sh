#!/bin/sh
# An independent IrMC client reads and writes the demo phone's contacts and calendar through
# "cellarchive-cli phone obex-server". Usage: test_gammu.sh CELLARCHIVE_CLI
set -u
cli="$1"
if ! command -v gammu >/dev/null 2>&1; then
    echo "gammu is not installed"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The backups' log files stay in the work folder.
export XDG_DATA_HOME="$work"
"$cli" phone init "$work/demo.json" >/dev/null || exit 1
cat >"$work/gammurc" <<RC
[gammu]
connection = proxyobex
device = $cli phone obex-server $work/demo.json
model = obexirmc
RC
cat >"$work/contact.vcf" <<'VCF'
BEGIN:VCARD
VERSION:2.1
N:Aalto;Tove
TEL;CELL:+46709998877
END:VCARD
VCF
cat >"$work/event.vcs" <<'VCS'
BEGIN:VCALENDAR
VERSION:1.0
BEGIN:VEVENT
SUMMARY:Choir practice
DTSTART:20270110T190000
DTEND:20270110T210000
END:VEVENT
END:VCALENDAR
VCS

status=0
# gammu [ANSWERS] ARGS...: one gammu command on the phone; its output goes to the file named
# after the command, and a failure fails the test.
gammu_run() {
    answers="$1"
    shift
    out="$work/$1.txt"
    if ! printf '%b' "$answers" | LC_ALL=C.UTF-8 timeout 120 gammu -c "$work/gammurc" "$@" >"$out" 2>&1; then
        echo "gammu $* failed:"
        cat "$out"
        status=1
    fi
}
expect() {
    if ! grep -qF -- "$2" "$work/$1"; then
        echo "missing in $1: $2"
        status=1
    fi
}
count() {
    found=$(grep -c -- "$2" "$work/$1")
    if [ "$found" -ne "$3" ]; then
        echo "$1 holds $found lines with $2, not $3"
        status=1
    fi
}
backup() {
    rm -f "$work/$1.MS"
    if ! "$cli" backup "$work/demo.json" "$work/$1.MS" --categories phonebook,calendar \
        >"$work/$1.out" 2>&1; then
        echo "backup $1 failed:"
        cat "$work/$1.out"
        status=1
    fi
}

gammu_run '' getallmemory ME
gammu_run '' getallcalendar
expect getallmemory.txt '"Berg"'
expect getallmemory.txt '"Anna"'
expect getallmemory.txt '"Zoë"'
expect getallmemory.txt '"Weiß"'
expect getallmemory.txt '"Harbour Dental Clinic"'
expect getallmemory.txt '"Olsen"'
expect getallmemory.txt 'Lägenhet 1102'
count getallmemory.txt 'Memory ME, Location' 13
expect getallcalendar.txt '"Dentist"'
expect getallcalendar.txt '"Team meeting"'
expect getallcalendar.txt '"Flight to Milan"'

# Added entries get fresh LUIDs; gammu asks whether to add them and whether to set the clock.
gammu_run 'yes\nno\n' addnew "$work/contact.vcf"
gammu_run 'no\nyes\n' addnew "$work/event.vcs"
gammu_run '' getmemory ME 14
expect getmemory.txt '"Aalto"'
expect getmemory.txt 'LUID                 : "14"'
backup added
count added.MS '<Contact Value=' 14
expect added.MS '<br/>N:Aalto;Tove<br/>'
expect added.MS 'SUMMARY:Choir practice<br/>'

# Emptied entry by entry, the phonebook hands out no LUID it had before, even to the next
# server process.
gammu_run '' deleteallmemory ME
backup emptied
count emptied.MS '<Contact Value=' 0
expect emptied.MS '<Contacts/>'
count emptied.MS '<Calendar Value=' 8
gammu_run 'yes\nno\n' addnew "$work/contact.vcf"
gammu_run '' getallmemory ME
count getallmemory.txt 'Memory ME, Location' 1
luid=$(sed -n 's/^LUID *: "\([0-9]*\)"$/\1/p' "$work/getallmemory.txt")
if [ "${luid:-0}" -le 14 ]; then
    echo "the contact added after the deletions got LUID ${luid:-none}, not a new one"
    status=1
fi

if [ "$status" -ne 0 ]; then
    cat "$work"/*.txt
fi
exit $status
