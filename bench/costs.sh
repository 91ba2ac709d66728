#!/bin/sh
# What a change costs the simulated phone's file and a status line costs the window, side by
# side in one run: restore of 5,000 contacts and 1,000 calendar entries from the command line
# into a file-backed phone and into an in-memory one; the same with 10,000 and 2,000; a phonebook
# backup of 8,000 contacts in the window (offscreen) and from the command line. Every step is
# its own process, timed with its peak memory.
#
#   bench/costs.sh [BUILD_DIR]     (default: build)
set -eu
build=${1:-build}
cli=$build/src/cli/cellarchive-cli
pb=$build/bench/bench_phonebook
win=$build/bench/bench_windowbackup
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"   # the command line's log goes to its own folder
mkdir -p "$HOME"

timed() { # label, command...
    label=$1; shift
    /usr/bin/time -f "$label: %e s, peak %M KB" "$@" >"$work/out" 2>"$work/err" || {
        cat "$work/out" "$work/err"; exit 1; }
    grep -v XDG_RUNTIME "$work/err" | tail -n 1
}

for size in "5000 1000" "10000 2000"; do
    set -- $size
    dir=$work/restore-$1
    "$pb" make "$dir" "$1" "$2" >/dev/null
    "$pb" backup "$dir" >/dev/null
    echo "== restore of $1 contacts and $2 calendar entries"
    timed "in-memory phone (bench_phonebook)" "$pb" restore "$dir" --in-memory
    grep '^restore:' "$work/out"
    "$cli" phone init "$dir/blank.json" --blank >/dev/null
    timed "file-backed phone (cellarchive-cli restore)" "$cli" restore "$dir/blank.json" "$dir/backup.MS"
    printf 'journal left after the run: %s\n' "$(ls "$dir"/blank.json.journal 2>/dev/null || echo none)"
    python3 - "$dir/blank.json" <<'PY'
import json, sys
image = json.load(open(sys.argv[1]))
print("image holds %d contacts and %d calendar entries" % (len(image.get("phonebook", [])), len(image.get("calendar", []))))
PY
done

echo "== phonebook backup of 8000 contacts"
dir=$work/backup
"$pb" make "$dir" 8000 0 >/dev/null
cp "$dir/full-phone.json" "$dir/cli.json"
timed "command line (cellarchive-cli backup)" "$cli" backup "$dir/cli.json" "$dir/cli.MS" --categories phonebook --overwrite
QT_QPA_PLATFORM=offscreen timed "window, offscreen (bench_windowbackup)" "$win" "$dir/full-phone.json" "$dir/win.MS" "$dir"
cat "$work/out"
