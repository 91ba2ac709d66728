# Helpers for scripts on libgammu's dummy phone (a folder of files): sourced, not run.

# dummy_rc RC FOLDER: a gammu configuration for a dummy phone kept in FOLDER.
dummy_rc() {
    mkdir -p "$2"
    printf '[gammu]\nmodel = dummy\nconnection = none\ndevice = %s\n' "$2" >"$1"
}

# dummy_fill RC COUNT: adds COUNT contacts with accented names and two numbers each to the
# phone memory, through gammu addnew, at most 1,000 at a time (gammu's own limit per file).
dummy_fill() {
    i=1
    while [ "$i" -le "$2" ]; do
        : >fill.vcf
        end=$((i + 999))
        [ "$end" -gt "$2" ] && end=$2
        while [ "$i" -le "$end" ]; do
            printf 'BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8:Müller %d;Zoë\r\nTEL;CELL:+4917012%05d\r\nTEL;HOME:+4930%05d\r\nEND:VCARD\r\n' \
                "$i" "$i" "$i" >>fill.vcf
            i=$((i + 1))
        done
        gammu -c "$1" addnew fill.vcf -yes >/dev/null 2>&1 || return 1
    done
    rm -f fill.vcf
}

# dummy_home: the start of a test on dummy phones. Skips the test (status 77) without gammu;
# otherwise makes the temporary folder $work, removed on exit, the home folder (with no other
# gammu configuration in sight) and the current folder.
dummy_home() {
    command -v gammu >/dev/null 2>&1 || { echo "gammu is not installed"; exit 77; }
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    export HOME="$work" LC_ALL=C.UTF-8
    unset XDG_CONFIG_HOME
    cd "$work" || exit 1
}
