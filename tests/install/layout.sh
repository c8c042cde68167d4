# The installed tree as desktops and software centres expect it, checked file by file.
# shellcheck shell=bash
APP_ID=io.github.zorbel2.Zorbel2
ICON_SIZES=(16 32 48 64 128 256)

# The worm pictures and their finer drawings: b0.bmp, b0@2x.bmp, b0@4x.bmp, ... b8@4x.bmp.
worm_pictures() {
    local n
    for n in 0 1 2 3 4 5 6 7 8; do echo "b$n.bmp" "b$n@2x.bmp" "b$n@4x.bmp"; done
}

# Every file an installation holds, relative to its prefix, sorted.
expected_files() {
    {
        echo bin/zorbel2
        for f in $(worm_pictures); do echo "share/zorbel2/$f"; done
        echo share/zorbel2/zbmusic.mid
        echo "share/applications/$APP_ID.desktop"
        echo "share/metainfo/$APP_ID.metainfo.xml"
        echo "share/mime/packages/$APP_ID.xml"
        for s in "${ICON_SIZES[@]}"; do echo "share/icons/hicolor/${s}x${s}/apps/$APP_ID.png"; done
        echo share/man/man6/zorbel2.6
    } | LC_ALL=C sort
}

# check_layout <prefix folder> <build folder>: exactly the expected files, the game's data as
# the build made it, icons of the size their folder names, entries that point at each other.
check_layout() {
    local prefix=$1 build=$2
    local found
    found=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
    [[ "$found" == "$(expected_files)" ]] ||
        fail "installed files differ from the layout:$(diff <(expected_files) <(echo "$found"))"
    [[ -x "$prefix/bin/zorbel2" ]] || fail "the game is not executable"
    for f in $(worm_pictures) zbmusic.mid; do
        cmp -s "$prefix/share/zorbel2/$f" "$build/$f" || fail "share/zorbel2/$f is not the built one"
    done
    for s in "${ICON_SIZES[@]}"; do
        local icon="$prefix/share/icons/hicolor/${s}x${s}/apps/$APP_ID.png"
        [[ "$(identify -format '%m %wx%h' "$icon")" == "PNG ${s}x${s}" ]] ||
            fail "icon ${s}x${s} is $(identify -format '%m %wx%h' "$icon")"
    done
    local desktop="$prefix/share/applications/$APP_ID.desktop"
    desktop-file-validate "$desktop" || fail "installed desktop entry does not validate"
    [[ "$(sed -n 's/^Icon=//p' "$desktop")" == "$APP_ID" ]] || fail "desktop entry names another icon"
    [[ -x "$prefix/bin/$(sed -n 's/^Exec=//p' "$desktop" | cut -d' ' -f1)" ]] ||
        fail "desktop entry runs a program that is not installed"
    local metainfo="$prefix/share/metainfo/$APP_ID.metainfo.xml"
    grep -q "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$metainfo" ||
        fail "metainfo does not launch the installed desktop entry"
    grep -q "<binary>zorbel2</binary>" "$metainfo" || fail "metainfo does not provide the binary"
    # The replay type: defined, opened by the game with the file, announced to software centres.
    local replay=application/x-zorbel2-replay
    grep -q "<mime-type type=\"$replay\">" "$prefix/share/mime/packages/$APP_ID.xml" ||
        fail "the file type is not $replay"
    [[ "$(sed -n 's/^MimeType=//p' "$desktop")" == "$replay;" ]] || fail "desktop entry opens no replay"
    [[ "$(sed -n 's/^Exec=//p' "$desktop")" == "zorbel2 %f" ]] || fail "desktop entry passes no file"
    grep -q "<mediatype>$replay</mediatype>" "$metainfo" || fail "metainfo does not provide $replay"
    local warnings
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/zorbel2.6" 2>&1 >/dev/null)
    [[ -z "$warnings" ]] || fail "man page warnings: $warnings"
    LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$prefix/share/man/man6/zorbel2.6" 2>/dev/null |
        grep -q 'Zorbel2.ini' || fail "man page does not name the settings file"
}
