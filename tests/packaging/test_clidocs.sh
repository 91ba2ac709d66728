#!/bin/bash
# Every command and option "cellarchive-cli --help" names is in the man page, and the bash
# completion offers it where the usage puts it; neither names an option the help does not know.
# A new option is documented by editing the man page and the completion, not this test.
# Usage: test_clidocs.sh CELLARCHIVE_CLI MAN_PAGE COMPLETION
set -u
cli=$1
page=$2
completion=$3
help=$("$cli" --help) || { echo "FAIL: $cli --help"; exit 1; }
# The page's text without font changes and with plain hyphens.
man_text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
# shellcheck source=/dev/null
source "$completion"
status=0
fail() { echo "FAIL: $*"; status=1; }

# What the completion offers for the line typed so far.
offers() {
    local line=$1 word=$2 offered
    COMP_LINE=$line COMP_POINT=${#line} COMPREPLY=()
    _cellarchive_cli
    for offered in "${COMPREPLY[@]}"; do
        [[ $offered == "$word" ]] && return 0
    done
    return 1
}
options_of() { grep -oE -- '--[a-z0-9][a-z0-9-]*' <<<"$1" | sort -u; }
names_option() { grep -qE -- "$2([^a-z0-9-]|\$)" <<<"$1"; }

# Usage lines: "  cellarchive-cli WORDS ARGUMENTS [--option VALUE]... [| WORDS ARGUMENTS...]".
while IFS= read -r usage; do
    usage=${usage#  cellarchive-cli }
    usage=${usage// | /$'\n'}
    while IFS= read -r alternative; do
        command=()
        for word in $alternative; do
            [[ $word =~ ^[a-z][a-z-]*$ ]] || break
            command+=("$word")
        done
        for ((i = 0; i < ${#command[@]}; ++i)); do
            offers "cellarchive-cli ${command[*]:0:i} " "${command[i]}" ||
                fail "the completion does not offer '${command[i]}' after 'cellarchive-cli ${command[*]:0:i}'"
        done
        if ((${#command[@]})); then
            grep -qw -- "${command[*]}" <<<"$man_text" ||
                fail "the man page does not name the command '${command[*]}'"
        fi
        for option in $(options_of "$alternative"); do
            offers "cellarchive-cli ${command[*]} --" "$option" ||
                fail "the completion does not offer $option after 'cellarchive-cli ${command[*]}'"
        done
    done <<<"$usage"
done < <(grep '^  cellarchive-cli ' <<<"$help")

for option in $(options_of "$help"); do
    names_option "$man_text" "$option" || fail "the man page does not name $option"
done
for option in $(options_of "$man_text"); do
    names_option "$help" "$option" || fail "the man page names $option, which --help does not"
done
for option in $(options_of "$(cat "$completion")"); do
    names_option "$help" "$option" || fail "the completion offers $option, which --help does not"
done
exit $status
