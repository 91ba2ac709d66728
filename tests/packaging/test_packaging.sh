#!/bin/bash
# Installs the build into a DESTDIR tree and builds the Debian package, then checks them with
# the tools distributions use: every file is there, the desktop entry, the AppStream metadata,
# the man pages and the package pass their validators, and the installed command line works
# from a folder outside the build, logging in the user's data folder and not beside itself.
# Usage: test_packaging.sh BUILD_DIR VERSION CMAKE CPACK
set -u
build=$1
version=$2
cmake=$3
cpack=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }
missing=()
have() { command -v "$1" >/dev/null 2>&1 || { missing+=("$1"); return 1; }; }

expected=(
    usr/bin/cellarchive
    usr/bin/cellarchive-cli
    usr/share/applications/org.example.Cellarchive.desktop
    usr/share/metainfo/org.example.Cellarchive.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/org.example.Cellarchive.svg
    usr/share/man/man1/cellarchive.1.gz
    usr/share/man/man1/cellarchive-cli.1.gz
    usr/share/bash-completion/completions/cellarchive-cli
    usr/share/doc/cellarchive/copyright
    usr/share/doc/cellarchive/changelog.Debian.gz
)
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/org.example.Cellarchive.png")
done

root=$work/root
DESTDIR=$root "$cmake" --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install"; }
for file in "${expected[@]}"; do
    [[ -s $root/$file ]] || fail "the install lacks /$file"
done
# A PNG's width and height are bytes 16 to 23 of its header.
for size in "${sizes[@]}"; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/org.example.Cellarchive.png
    read -r -a header < <(od -An -tu1 -j16 -N8 "$png" 2>/dev/null)
    width=$(((header[2] << 8) + header[3]))
    height=$(((header[6] << 8) + header[7]))
    [[ $width == "$size" && $height == "$size" ]] || fail "$png is ${width}x${height}"
done

# The release the software centre shows and the package's changelog name this version.
metainfo=$root/usr/share/metainfo/org.example.Cellarchive.metainfo.xml
grep -m1 '<release ' "$metainfo" | grep -q "version=\"$version\"" ||
    fail "the newest release of the AppStream metadata is not $version"
zcat "$root/usr/share/doc/cellarchive/changelog.Debian.gz" | head -1 | grep -q "^cellarchive ($version)" ||
    fail "the newest entry of changelog.Debian is not $version"

if have desktop-file-validate; then
    desktop-file-validate "$root/usr/share/applications/org.example.Cellarchive.desktop" ||
        fail "desktop-file-validate"
fi
if have appstreamcli; then
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
fi
if have man; then
    for page in "$root"/usr/share/man/man1/*.1.gz; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [[ -z $warnings ]] || fail "man --warnings -l $page: $warnings"
    done
fi

# The installed programs, from a folder outside the build, with a home of their own.
cli=$root/usr/bin/cellarchive-cli
[[ $("$cli" --version) == "cellarchive-cli $version" ]] || fail "cellarchive-cli --version"
[[ $(QT_QPA_PLATFORM=offscreen "$root/usr/bin/cellarchive" --version) == "cellarchive $version" ]] ||
    fail "cellarchive --version"
mkdir -p "$work/home" "$work/run"
(
    cd "$work/run" || exit 1
    export HOME=$work/home
    unset XDG_DATA_HOME XDG_CONFIG_HOME CELLARCHIVE_PHONE
    "$cli" phone init demo.json && "$cli" backup demo.json d.MS &&
        "$cli" phone init blank.json --blank && "$cli" restore blank.json d.MS
) >"$work/run.log" 2>&1 || { cat "$work/run.log"; fail "a backup and restore of the demo phone"; }
grep -q "Restore verified" "$work/run.log" || fail "the restore was not verified"
ls "$work/home/.local/share/cellarchive/log/"*.txt >/dev/null 2>&1 ||
    fail "the installed program wrote no log into ~/.local/share/cellarchive/log"
[[ ! -e $root/usr/bin/log ]] || fail "the installed program logged beside itself"

if have dpkg-deb && have dpkg-shlibdeps; then
    "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
        { cat "$work/cpack.log"; fail "cpack -G DEB"; }
    deb=$work/package/cellarchive_${version}_$(dpkg --print-architecture).deb
    if [[ -f $deb ]]; then
        dpkg-deb -c "$deb" | tee "$work/contents" | sed 's/^/  /'
        for file in "${expected[@]}"; do
            grep -q " \./$file\$" "$work/contents" || fail "the package lacks /$file"
        done
        depends=$(dpkg-deb -f "$deb" Depends)
        [[ $depends == *libgammu* && $depends == *libqt6widgets6* && $depends == *libqt6svg6* ]] ||
            fail "the package's dependencies miss libgammu or Qt: $depends"
        [[ $(dpkg-deb -f "$deb" Suggests) == *gammu* ]] || fail "the package does not suggest gammu"
        if have lintian; then
            lintian --fail-on error "$deb" || fail "lintian reports errors"
        fi
    else
        ls "$work/package"
        fail "cpack made no $(basename "$deb")"
    fi
fi

((status == 0)) || exit 1
if ((${#missing[@]})); then
    echo "skipped what needs ${missing[*]}"
    exit 77
fi
exit 0
