#!/bin/sh
# Backup and restore of a libgammu dummy phone with 1,000 and with 5,000 contacts, side by
# side: cellarchive-cli against the gammu command. Prints wall time, peak memory and the
# contacts each got back, then the longest event-loop block during a 5,000-contact backup.
# gammu restore writes every location of the phone's memory (10,000 on the dummy phone), one
# at a time; it is stopped after LIMIT seconds (default 300) and counted as far as it got.
# Usage: bench/bench_gammu.sh BUILD_DIR [LIMIT]   (needs gammu and /usr/bin/time)
set -u
build=$(cd "${1:-build}" && pwd)
limit=${2:-300}
cli="$build/src/cli/cellarchive-cli"
probe="$build/bench/bench_gammu_eventloop"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tests/realphone/dummyphone.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work" LC_ALL=C.UTF-8
cd "$work" || exit 1

# measure LABEL CONTACTS-FOLDER COMMAND...: one table row.
measure() {
    label=$1
    folder=$2
    shift 2
    /usr/bin/time -v -o time.txt timeout "$limit" "$@" >/dev/null 2>&1
    code=$?
    [ "$code" -eq 124 ] && code="stopped after $limit s"
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' time.txt)
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.txt)
    printf '%-34s %6s %10s s %8s KiB %8s contacts (exit %s)\n' "$label" "$n" "$wall" "$rss" \
        "$(count "$folder")" "$code"
}
# Contacts in a backup file (ours or gammu's), or in a dummy phone's folder.
count() {
    case $1 in
    *.MS) grep -c '<Contact Value=' "$1" ;;
    *.backup) iconv -f UTF-16 -t UTF-8 "$1" | grep -c '^\[\(Phone\|SIM\)PBK' ;;
    *) find "$1/pbk/ME" "$1/pbk/SM" -type f 2>/dev/null | wc -l ;;
    esac
}

printf '%-34s %6s %12s %12s %17s\n' "run" "phone" "wall" "peak memory" "got back"
for n in 1000 5000; do
    dummy_rc phone.rc "$work/phone$n"
    dummy_fill phone.rc "$n" || echo "gammu could not fill the dummy phone"
    measure "cellarchive-cli backup" "ours$n.MS" "$cli" backup gammu:phone.rc "ours$n.MS" \
        --categories phonebook
    measure "gammu backup" "gammu$n.backup" gammu -c phone.rc backup "gammu$n.backup" -yes
    dummy_rc ours.rc "$work/ours-restored$n"
    measure "cellarchive-cli restore" "$work/ours-restored$n" "$cli" restore gammu:ours.rc \
        "ours$n.MS"
    dummy_rc theirs.rc "$work/gammu-restored$n"
    measure "gammu restore" "$work/gammu-restored$n" gammu -c theirs.rc restore \
        "gammu$n.backup" -yes
done
"$probe" backup gammu:phone.rc probe.MS --categories phonebook | tail -n 1
