#!/bin/sh
# Restores into a blank phone on a serial line (cellarchive-cli phone serial), through
# libgammu's AT driver, side by side in one run: cellarchive-cli restore (its read before, the
# writes and its verify) against `gammu restore` of the same contacts (from `gammu backup` of
# the same phone), and against `gammu restore` followed by `gammu backup`, gammu's way to the
# same checked result. A second build (the one before a change) may be given. Then the same for
# 100 messages, and a second cellarchive restore of the same file into the same phone.
# Prints wall time, exit status and how many contacts the phone holds after each run.
#
#   bench/bench_atrestore.sh BUILD_DIR [BEFORE_BUILD_DIR] [COUNTS] [MESSAGES]
#       COUNTS defaults to "300 900 2000"; MESSAGES (default 0) go into cellarchive's file
#       beside the contacts; needs gammu, python3 and /usr/bin/time
set -u
build=$(cd "${1:-build}" && pwd)
before=
[ -n "${2:-}" ] && before=$(cd "$2" && pwd)
counts=${3:-300 900 2000}
messages=${4:-0}
cli="$build/src/cli/cellarchive-cli"
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work" LC_ALL=C.UTF-8
cd "$work" || exit 1
printf '[gammu]\nconnection = at\ndevice = %s/port\n' "$work" >at.rc

# make IMAGE CONTACTS MESSAGES: the demo phone with that many contacts (two numbers and a name
# of two parts each) and that many copies of its sent message in the phone memory.
make() {
    "$cli" phone init "$1" --overwrite >/dev/null || exit 1
    python3 - "$@" <<'PY'
import json, sys
path, contacts, messages = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
d = json.load(open(path))
d["phonebookCapacity"] = max(1000, contacts)
d["phonebook"] = [{"luid": str(i), "data": "BEGIN:VCARD\r\nVERSION:2.1\r\nN:M\u00fcller %d;Zo\u00eb\r\nTEL;CELL:+4917012%05d\r\nTEL;HOME:+4930%05d\r\nEND:VCARD" % (i, i, i)} for i in range(1, contacts + 1)]
sms = d["sms"]["2"]
sms["capacity"] = max(200, messages + 10)
sent = sms["messages"][0]
sms["messages"] = [dict(sent) for _ in range(messages)]
d["sms"]["1"]["messages"] = []
json.dump(d, open(path, "w"))
PY
}
blank() { "$cli" phone init "$1" --blank --overwrite >/dev/null || exit 1; }
serve() {
    rm -f port
    "$cli" phone serial "$1" --link "$work/port" >serial.out 2>&1 &
    server=$!
    while [ ! -L port ]; do sleep 0.05; done
}
stop() {
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    server=
}
holds() {
    python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); print(len(d["phonebook"]), sum(len(s["messages"]) for s in d["sms"].values()))' "$1"
}
# measure LABEL IMAGE COMMAND...: the command against the phone of IMAGE served on the line.
measure() {
    label=$1
    image=$2
    shift 2
    serve "$image"
    /usr/bin/time -f %e -o time.txt "$@" >out.txt 2>&1
    code=$?
    [ "$code" -eq 0 ] || [ "$code" -eq 3 ] || tail -n 3 out.txt
    stop
    set -- $(holds "$image")
    printf '%-44s %8s s  exit %s  phone: %5s contacts %4s SMS\n' "$label" "$(tail -n 1 time.txt)" \
        "$code" "$1" "$2"
}

# ours FILE: the build before (if given) and this one restore FILE into a blank phone; this one
# restores it again into the same phone.
ours() {
    if [ -n "$before" ]; then
        blank b.json
        measure "cellarchive-cli restore (before)" b.json \
            timeout 1200 "$before/src/cli/cellarchive-cli" restore gammu:at.rc "$1"
    fi
    blank a.json
    measure "cellarchive-cli restore" a.json timeout 1200 "$cli" restore gammu:at.rc "$1"
    measure "cellarchive-cli restore, the same file again" a.json \
        timeout 1200 "$cli" restore gammu:at.rc "$1"
}

for n in $counts; do
    make phone.json "$n" "$messages"
    "$cli" backup phone.json ours.MS --categories phonebook,sms --overwrite >/dev/null
    serve phone.json
    timeout 900 gammu -c at.rc backup gammu.backup -yes >/dev/null 2>&1
    stop
    echo "== $n contacts into a blank AT phone"
    ours ours.MS
    blank g.json
    measure "gammu restore" g.json timeout 1200 gammu -c at.rc restore gammu.backup -yes
    blank g.json
    # gammu's restore ends with an error of its own after the phonebook (on the SMS centre
    # profiles of this phone): the backup runs all the same.
    measure "gammu restore, then gammu backup" g.json sh -c \
        'timeout 1200 gammu -c at.rc restore gammu.backup -yes; timeout 1200 gammu -c at.rc backup check.backup -yes'
done

[ "${SKIP_SMS:-}" ] && exit 0
make phone.json 0 100
"$cli" backup phone.json sms.MS --categories sms --overwrite >/dev/null
serve phone.json
timeout 900 gammu -c at.rc backupsms gammu.smsbackup -yes >/dev/null 2>&1
stop
echo "== 100 SMS into a blank AT phone"
ours sms.MS
blank g.json
measure "gammu restoresms" g.json timeout 1200 gammu -c at.rc restoresms gammu.smsbackup -yes
