#!/bin/sh
# A restore of 1,000 contacts, 100 calendar entries and 100 SMS into an empty simulated phone,
# then the same file again into that phone, side by side for two builds (the one before a
# change and the one after). Prints wall time, peak memory, exit status and what the phone
# holds after each run.
#
#   bench/restore_twice.sh BEFORE_BUILD_DIR AFTER_BUILD_DIR     (needs /usr/bin/time, python3)
set -eu
before=$(cd "$1" && pwd)
after=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME"

"$after/bench/bench_phonebook" make "$work/source" 1000 100 >/dev/null
# 100 distinct unsent and sent messages in the phone memory (UCS-2 SMS-SUBMIT PDUs).
python3 - "$work/source/full-phone.json" <<'PY'
import json, sys
path = sys.argv[1]
image = json.load(open(path))
messages = []
for i in range(100):
    text = ("Message %03d from the bench" % i).encode("utf-16-be").hex().upper()
    tpdu = "11000D91947110325476F80008AA" + "%02X" % (len(text) // 2) + text
    messages.append({"type": 2 + i % 2, "length": len(tpdu) // 2, "pdu": "00" + tpdu})
image["sms"] = {"1": {"capacity": 30, "messages": []}, "2": {"capacity": 150, "messages": messages}}
json.dump(image, open(path, "w"))
PY
"$after/src/cli/cellarchive-cli" backup "$work/source/full-phone.json" "$work/lists.MS" \
    --categories phonebook,calendar,sms >/dev/null

holds() {
    python3 - "$1" <<'PY'
import json, sys
image = json.load(open(sys.argv[1]))
sms = sum(len(s.get("messages", [])) for s in image.get("sms", {}).values())
print("%d contacts, %d calendar entries, %d SMS" % (len(image.get("phonebook", [])), len(image.get("calendar", [])), sms))
PY
}

for build in "$before" "$after"; do
    name=$([ "$build" = "$before" ] && echo before || echo after)
    cli="$build/src/cli/cellarchive-cli"
    phone="$work/$name.json"
    "$cli" phone init "$phone" --blank >/dev/null
    for run in "into an empty phone" "the same file again"; do
        set +e
        /usr/bin/time -f "%e s, peak %M KB" -o "$work/time" "$cli" restore "$phone" "$work/lists.MS" \
            >"$work/out" 2>&1
        code=$?
        set -e
        printf '%-6s %-20s %s, exit %s; the phone holds %s\n' "$name" "$run" "$(tail -n 1 "$work/time")" \
            "$code" "$(holds "$phone")"
    done
done
