#!/bin/sh
# The program tries a phone again every five seconds. A serial phone that never answers: the
# attempts go on, and the program's open descriptors never grow. A phone
# whose first connection fails (a preloaded library makes it so): it is found at a later try.
# Usage: test_reconnect.sh CELLARCHIVE GAMMUFAULTS_LIBRARY
set -u
app="$1"
faults="$2"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/dummyphone.sh"
dummy_home
export XDG_DATA_HOME="$work"
pids=
trap 'for pid in $pids; do kill "$pid" 2>/dev/null; done; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen
status=0
fail() { echo "FAILED: $*"; status=1; }
# wait_for SECONDS COMMAND...: true once COMMAND succeeds, false when SECONDS passed first.
wait_for() {
    tenths=$(($1 * 10))
    shift
    while ! "$@"; do
        [ "$tenths" -gt 0 ] || return 1
        sleep 0.1
        tenths=$((tenths - 1))
    done
}
attempts_reached() { [ "$(cat attempts 2>/dev/null || echo 0)" -ge "$1" ]; }
# The fewest descriptors of process $1 over a second: files the program opens for a moment (its
# log) do not count.
descriptors() {
    fewest=
    for sample in 1 2 3 4 5 6 7 8 9 10; do
        count=$(ls "/proc/$1/fd" | wc -l)
        [ -z "$fewest" ] || [ "$count" -lt "$fewest" ] && fewest=$count
        sleep 0.1
    done
    echo "$fewest"
}

# Each attempt on a silent AT phone waits about 30 seconds for answers before it fails; the
# descriptors are counted while an attempt waits, the device open.
python3 "$here/silentpty.py" attempts >pty.txt &
pids="$!"
wait_for 10 test -s pty.txt || { echo "no pseudo-terminal"; exit 1; }
printf '[gammu]\nconnection = at\nmodel = at\ndevice = %s\n' "$(cat pty.txt)" >silent.rc
CELLARCHIVE_PHONE="gammu:$work/silent.rc" "$app" >silent.out 2>&1 &
gui=$!
pids="$pids $gui"
if wait_for 100 attempts_reached 2; then
    second=$(descriptors "$gui")
    if wait_for 100 attempts_reached 4; then
        fourth=$(descriptors "$gui")
        # Qt may close event descriptors of its own meanwhile; none may be added.
        [ "$fourth" -le "$second" ] ||
            fail "open descriptors went from $second at the second attempt to $fourth at the fourth"
    else
        fail "no fourth attempt on the silent phone: $(cat attempts) attempts"
    fi
else
    fail "no second attempt on the silent phone: $(cat attempts 2>/dev/null) attempts"
fi
kill "$gui"

# The first attempt fails as a silent phone's would, leaving the device open; the next one
# finds the phone.
# The program's log: in its folder, else in the data folder.
logs() { cat "$(dirname "$app")"/log/*.txt "$work"/cellarchive/log/*.txt 2>/dev/null; }
before=$(logs | wc -l)
dummy_rc dummy.rc "$work/dummy"
CELLARCHIVE_GAMMU_FAULTS="InitConnection#1=TIMEOUT" LD_PRELOAD="$faults" \
    CELLARCHIVE_PHONE="gammu:$work/dummy.rc" "$app" >dummy.out 2>&1 &
gui=$!
pids="$pids $gui"
added() { logs | tail -n "+$((before + 1))"; }
connected() { added | grep -q 'Phone Connected'; }
wait_for 60 connected || fail "the phone was not found after a failed first attempt"
added | grep -q "Gammu connection failed -> $work/dummy.rc, section 0: No response in" ||
    fail "no line for the failed first attempt"
kill "$gui"
[ "$status" -eq 0 ] || { added; cat silent.out dummy.out; }
exit $status
