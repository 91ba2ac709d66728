#!/bin/sh
# Backup time of one huge contact from the command line: one of 1 MB and one of 4 MB, once with
# a quoted-printable note broken into lines and once with a note on one line. Give several
# cellarchive-cli binaries (for example a build before and after a change) to compare them side
# by side in one run; each backup is its own process, timed with its peak memory.
#
#   bench/bigcontact.sh CLI [CLI...]     (default: build/src/cli/cellarchive-cli)
set -eu
[ $# -gt 0 ] || set -- build/src/cli/cellarchive-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"   # the command line's log goes to its own folder
mkdir -p "$HOME"

for mb in 1 4; do
    for shape in lines oneline; do
        image=$work/phone-$mb-$shape.json
        "$1" phone init "$image" --blank >/dev/null
        python3 - "$image" "$mb" "$shape" <<'PY'
import json, sys
path, mb, shape = sys.argv[1], int(sys.argv[2]), sys.argv[3]
size = mb * 1024 * 1024
text = ("0123456789abcdefghijklmnopqrstuvwxyz" * (size // 36 + 1))[:size]
if shape == "lines":
    note = "NOTE;ENCODING=QUOTED-PRINTABLE:" + "=\r\n".join(text[i:i + 74] for i in range(0, size, 74))
else:
    note = "NOTE:" + text
image = json.load(open(path))
image["phonebook"] = [{"luid": "1", "data": "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Big;One\r\n" + note + "\r\nEND:VCARD"}]
json.dump(image, open(path, "w"))
PY
        for cli in "$@"; do
            out=$work/out.MS
            rm -f "$out"
            cp "$image" "$work/run.json"
            /usr/bin/time -f "$mb MB contact, $shape, $cli: %e s, peak %M KB" \
                "$cli" backup "$work/run.json" "$out" --categories phonebook >/dev/null 2>"$work/err" ||
                { cat "$work/err"; exit 1; }
            grep -v XDG_RUNTIME "$work/err" | tail -n 1
        done
    done
done
