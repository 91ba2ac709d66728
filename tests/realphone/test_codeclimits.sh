#!/bin/sh
# The texts that crashed libgammu's decoders or were written cut, through show, export and a
# restore into libgammu's dummy phone: each row names the input (tests/data/fuzz/codecs), and
# for each command its exit status and a line it must print (show, export) or log (restore),
# then the closing line of the restore. Usage: test_codeclimits.sh CELLARCHIVE_CLI INPUTS
set -u
cli="$1"
inputs="$2"
here=$(dirname "$0")
. "$here/dummyphone.sh"
dummy_home
# A copy outside the build folder logs in the data folder, which is here: each run's log is its own.
cp "$cli" "$work/cli" && cli="$work/cli" || exit 1
export XDG_DATA_HOME="$work"

long() { printf "%$2s" '' | tr ' ' "$1"; }
d1010=$(long d 1010)
s1500=$(long s 1500)
n12000=$(long n 12000)
l300=$(long L 300)

status=0
fail() { echo "FAILED: $*"; status=1; }
# has FILE TEXT: the file holds the text as a line, or within one.
has() { grep -qF -- "$2" "$1"; }
# unfolded FILE TEXT: the file holds the text once its folded lines are joined again.
unfolded() { tr -d '\r' <"$1" | sed -e ':a' -e 'N' -e '$!ba' -e 's/\n //g' | grep -qF -- "$2"; }

row=0
while IFS='|' read -r input show_rc show_line export_rc export_file export_line restore_rc restore_line closing; do
    row=$((row + 1))
    file="$inputs/$input"
    "$cli" show "$file" >show.out 2>&1
    code=$?
    [ "$code" -eq "$show_rc" ] && has show.out "$show_line" ||
        { cat show.out; fail "$input: show ended with $code"; }
    rm -rf out
    "$cli" export "$file" --to out >export.out 2>&1
    code=$?
    [ "$code" -eq "$export_rc" ] && unfolded "out/$export_file" "$export_line" ||
        { cat export.out; fail "$input: export ended with $code"; }
    rm -rf phone cellarchive/log
    dummy_rc phone.rc "$work/phone"
    "$cli" restore gammu:phone.rc "$file" >restore.out 2>&1
    code=$?
    cat cellarchive/log/*.txt >restore.log 2>/dev/null
    [ "$code" -eq "$restore_rc" ] && has restore.log "$restore_line" && has restore.out "$closing" ||
        { cat restore.out; fail "$input: restore ended with $code"; }
    # Nothing was written cut: the phone holds nothing of a text too long for it.
    rm -f all.vcf all.vcs
    gammu -c phone.rc backup all.vcf -yes >/dev/null 2>&1 &&
        gammu -c phone.rc backup all.vcs -yes >/dev/null 2>&1 || fail "$input: no gammu backup"
    ! grep -q 'LLLLLLLLLL\|nnnnnnnnnn\|dddddddddd\|ssssssssss' all.vcf all.vcs ||
        fail "$input: written cut"
done <<ROWS
description-1010.MS|0|event  2027-01-10 09:00 UTC  Short|0|calendar.ics|DESCRIPTION:$(echo "$d1010" | cut -c1-60)|3|Calendar entry on line 2: too long for this phone -> not written|Calendar: 1 not written -> see the log
summary-1500.MS|0|UTC  $s1500|0|calendar.ics|SUMMARY:$(echo "$s1500" | cut -c1-60)|3|Calendar entry on line 2: too long for this phone -> not written|Calendar: 1 not written -> see the log
note-12000.MS|0|Zoe Berg  mobile +4917099887766|0|contacts.vcf|NOTE:$n12000|3|Kept in part -> contact on line 2 of the file|Phonebook: 1 on the phone as name and number only (too long for this phone as a whole) -> see the log
name-300.MS|0|First $l300|0|contacts.vcf|N:$l300;First|3|Contact on line 2: too long for this phone -> not written|Phonebook: 1 not written -> see the log
pdu-170-septets.MS|3|! line 6: not a valid SMS|3|messages.xml|<smses count="0">|3|Not written -> SMS Message 1|SMS Messages: 1 not written -> see the log
pdu-fuzzed-359.MS|3|! line 6: not a valid SMS|3|messages.xml|<smses count="0">|3|Not written -> SMS Message 1|SMS Messages: 1 not written -> see the log
ROWS
[ "$row" -eq 6 ] || fail "$row rows read"

# A contact whose texts are Chinese: libgammu's writer would overrun its buffer on them, so the
# backup writes them itself, and they read back whole. (Written as the dummy driver keeps it.)
rm -rf phone
dummy_rc phone.rc "$work/phone"
mkdir -p phone/pbk/ME
printf 'BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E7=8E=8B;=E5=B0=8F=E6=98=8E\r\nNOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E6=98=8E=E5=A4=A9=E8=A7=81\r\nTEL:+8610123\r\nEND:VCARD\r\n' >phone/pbk/ME/1
"$cli" backup gammu:phone.rc wide.MS --categories phonebook >wide.out 2>&1 || { cat wide.out; fail "wide texts: backup ended with $?"; }
"$cli" show wide.MS >wide.show 2>&1
has wide.show '小明 王  +8610123' && has wide.MS 'NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E6=98=8E=E5=A4=A9=E8=A7=81' ||
    { cat wide.show; grep Contact wide.MS; fail "wide texts did not come back whole"; }
exit $status
