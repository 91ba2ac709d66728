#!/bin/sh
# The command line on libgammu's dummy phone: the phone it chooses, the categories it takes by
# default, and how it answers category lists and an existing file.
# Usage: test_realphonecli.sh CELLARCHIVE_CLI
set -u
cli="$1"
here=$(dirname "$0")
. "$here/../realphone/dummyphone.sh"
dummy_home
export XDG_DATA_HOME="$work/data"
unset CELLARCHIVE_PHONE
dummy_rc .gammurc "$work/phone"
dummy_rc other.rc "$work/other"
: >exists.MS

status=0
# One case a line: the exit status, a text the output must hold, then the arguments. Without
# a phone named, section 0 of ~/.gammurc is used.
while IFS='|' read -r code text args; do
    [ -z "$code" ] && continue
    eval "set -- $args"
    text=$(printf '%s' "$text" | sed "s|\$HOME|$HOME|")
    "$cli" "$@" >out.txt 2>&1
    got=$?
    if [ "$got" -ne "$code" ] || ! grep -qF -- "$text" out.txt; then
        echo "FAILED: $args -> $got (expected $code and \"$text\")"
        cat out.txt
        status=1
    fi
done <<'CASES'
0|Phone -> gammu: $HOME/.gammurc, section 0|backup default.MS
0|Backup of Bookmarks -> Done|backup bookmarks.MS --categories Time,BOOKMARKS
3|Profiles: not supported by this phone|backup profiles.MS --categories time,Profiles
3|Locks: not supported by this phone|backup --phone gammu:other.rc locks.MS --categories LOCKS
2|--categories needs at least one category|backup empty.MS --categories ""
2|--categories needs at least one category|backup commas.MS --categories ,
2|unknown category weather|backup weather.MS --categories time,weather
1|exists.MS exists; nothing was written (use --overwrite to replace it)|backup exists.MS --categories time
0|Backup completed|backup exists.MS --categories time --overwrite
0|Phone -> gammu: other.rc, section 0|backup gammu:other.rc positional.MS --categories time
CASES
# A category the phone has not got leaves no section, and the others are still backed up.
grep -q '<Settings_Time>' profiles.MS && ! grep -q 'Settings_Profiles' profiles.MS ||
    { echo "FAILED: profiles.MS"; status=1; }
# The phone named in the environment, when no option names one.
CELLARCHIVE_PHONE=gammu:other.rc "$cli" backup env.MS --categories time >out.txt 2>&1 &&
    grep -qF 'Phone -> gammu: other.rc, section 0' out.txt || { cat out.txt; echo "FAILED: CELLARCHIVE_PHONE"; status=1; }
exit $status
