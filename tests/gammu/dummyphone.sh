# Helpers for scripts on libgammu's dummy phone (a folder of files): sourced, not run.

# dummy_rc RC FOLDER: a gammu configuration for a dummy phone kept in FOLDER.
dummy_rc() {
    mkdir -p "$2"
    printf '[gammu]\nmodel = dummy\nconnection = none\ndevice = %s\n' "$2" >"$1"
}

# dummy_contacts FILE COUNT: COUNT vCards with accented names and several numbers.
dummy_contacts() {
    i=1
    : >"$1"
    while [ "$i" -le "$2" ]; do
        printf 'BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8:Müller %d;Zoë\r\nTEL;CELL:+4917012%05d\r\nTEL;HOME:+4930%05d\r\nEND:VCARD\r\n' \
            "$i" "$i" "$i" >>"$1"
        i=$((i + 1))
    done
}
