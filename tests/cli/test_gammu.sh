#!/bin/sh
# An independent IrMC client reads the demo phone's contacts and calendar from
# "cellarchive-cli phone obex-server". Usage: test_gammu.sh CELLARCHIVE_CLI
set -u
cli="$1"
if ! command -v gammu >/dev/null 2>&1; then
    echo "gammu is not installed"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cli" phone init "$work/demo.json" >/dev/null || exit 1
cat >"$work/gammurc" <<RC
[gammu]
connection = proxyobex
device = $cli phone obex-server $work/demo.json
model = obexirmc
RC
LC_ALL=C.UTF-8 timeout 120 gammu -c "$work/gammurc" getallmemory ME >"$work/memory.txt" 2>&1
LC_ALL=C.UTF-8 timeout 120 gammu -c "$work/gammurc" getallcalendar >"$work/calendar.txt" 2>&1

status=0
expect() {
    if ! grep -qF -- "$2" "$work/$1"; then
        echo "missing in $1: $2"
        status=1
    fi
}
expect memory.txt '"Berg"'
expect memory.txt '"Anna"'
expect memory.txt '"Zoë"'
expect memory.txt '"Weiß"'
expect memory.txt '"Harbour Dental Clinic"'
expect memory.txt '"Olsen"'
expect memory.txt 'Lägenhet 1102'
expect calendar.txt '"Dentist"'
expect calendar.txt '"Team meeting"'
expect calendar.txt '"Flight to Milan"'
if [ "$(grep -c 'Memory ME, Location' "$work/memory.txt")" -ne 13 ]; then
    echo "gammu did not list the 13 contacts"
    status=1
fi
if [ "$status" -ne 0 ]; then
    cat "$work/memory.txt" "$work/calendar.txt"
fi
exit $status
