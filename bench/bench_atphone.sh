#!/bin/sh
# A phone of 1,000 contacts and 100 SMS on a serial line (cellarchive-cli phone serial),
# backed up through libgammu's AT driver: cellarchive-cli against `gammu backup`, on the same
# line, in one run. Prints wall time, peak memory and what each got back.
# Usage: bench/bench_atphone.sh BUILD_DIR   (needs gammu, python3 and /usr/bin/time)
set -u
build=$(cd "${1:-build}" && pwd)
cli="$build/src/cli/cellarchive-cli"
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work" LC_ALL=C.UTF-8
cd "$work" || exit 1

# The demo phone, its phonebook made 1,000 contacts and its phone memory 95 more messages
# (copies of its sent message) beside the five it has.
"$cli" phone init phone.json >/dev/null || exit 1
python3 - <<'PY'
import json
d = json.load(open("phone.json"))
d["phonebook"] = [{"luid": str(i), "data": "BEGIN:VCARD\r\nVERSION:2.1\r\nN:M\u00fcller %d;Zo\u00eb\r\nTEL;CELL:+4917012%05d\r\nTEL;HOME:+4930%05d\r\nEND:VCARD" % (i, i, i)} for i in range(1, 1001)]
phone = d["sms"]["2"]
phone["capacity"] = 200
phone["messages"] += [dict(phone["messages"][0]) for _ in range(95)]
json.dump(d, open("phone.json", "w"))
PY
"$cli" phone serial phone.json --link "$work/port" >serial.out 2>&1 &
server=$!
while [ ! -L port ]; do sleep 0.05; done
printf '[gammu]\nconnection = at\ndevice = %s/port\n' "$work" >at.rc

measure() { # LABEL FILE COMMAND...
    label=$1
    file=$2
    shift 2
    /usr/bin/time -v -o time.txt "$@" >/dev/null 2>&1
    code=$?
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' time.txt)
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.txt)
    case $file in
    *.MS) contacts=$(grep -c '<Contact Value=' "$file") sms=$(grep -c '<SMS>' "$file") ;;
    *.smsbackup) contacts='-' sms=$(grep -c '^\[SMSBackup' "$file") ;;
    *) contacts=$(iconv -f UTF-16 -t UTF-8 "$file" | grep -c '^\[PhonePBK') sms='-' ;;
    esac
    printf '%-32s %10s s %8s KiB %8s contacts %5s SMS (exit %s)\n' "$label" "$wall" "$rss" \
        "$contacts" "$sms" "$code"
}
printf '%-32s %12s %12s %17s\n' "run (1,000 contacts, 100 SMS)" "wall" "peak memory" "got back"
measure "cellarchive-cli backup" ours.MS "$cli" backup gammu:at.rc ours.MS \
    --categories phonebook,sms
measure "gammu backup (phonebook)" gammu.backup gammu -c at.rc backup gammu.backup -yes
measure "gammu backupsms" gammu.smsbackup gammu -c at.rc backupsms gammu.smsbackup -yes
kill "$server"
wait "$server" 2>/dev/null
server=
tail -1 serial.out
