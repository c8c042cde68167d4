#!/usr/bin/env bash
# zorbel2.exe from the release zip, under Wine in a private X server, on a system without Comic
# Sans MS: the menu is drawn with its text (in the Comic Neue the zip carries), a login registers a
# user in %APPDATA%\zorbel2\Zorbel2.ini, a click on Death Match shows the board, and Esc, Esc end
# the program with status 0. Then the installer's copy, its Comic Neue taken away, plays a replay
# opened as a double click opens it, with its texts in a face of the system's.
#
#   tests/windows/smoke_test.sh BUILD_DIR
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/lib.sh"
source "$here/wine.sh"
wine_prefix "$build/wine"
# A Wine session still running in the prefix (the test executables' own, for a few seconds after
# they end) keeps the display it started with, and a window opened in it fails: the game gets a
# session of its own, started on this test's display.
wineserver -k 2>/dev/null || true
wineserver -w
trap 'cleanup; wineserver -k 2>/dev/null || true' EXIT
# No Comic Sans MS and no other face in the system's fonts folder, where Wine puts none. The prefix
# is reused: the faces that earlier runs put there go.
fonts=$(wine_fonts)
rm -f "$fonts/comic.ttf" "$fonts/comicbd.ttf" "$fonts/tahoma.ttf"
# A failure keeps the screen and the program's output in the build folder, where CI can find them.
fail() {
    echo "FAIL: $*" >&2
    import -window root "$build/smoke-failure.png" 2>/dev/null || true
    cp "$WORK/stderr.txt" "$build/smoke-failure.txt" 2>/dev/null || true
    exit 1
}

zip=$(ls "$build"/zorbel2-*-windows-x64.zip | head -n1)
[[ -f "$zip" ]] || fail "no release zip in $build"
# Unpacked into a folder with letters outside ASCII, which the program finds its files in.
unzip -q "$zip" -d "$WORK/Zörbel"
exe=$(find "$WORK/Zörbel" -name zorbel2.exe | head -n1)
[[ -n "$exe" ]] || fail "no zorbel2.exe in $zip"
[[ -z "$(find "$fonts" -type f)" ]] || fail "the system's fonts folder holds faces: $(ls "$fonts")"
for f in ComicNeue-Regular.otf ComicNeue-Bold.otf; do
    [[ -f "$(dirname "$exe")/$f" ]] || fail "no $f beside zorbel2.exe in $zip"
done
grep -q "SIL OPEN FONT LICENSE Version 1.1" "$(dirname "$exe")/ComicNeue-OFL.txt" ||
    fail "no licence beside Comic Neue in $zip"
INI="$(wine_appdata)/zorbel2/Zorbel2.ini"
rm -rf "$(dirname "$INI")"
ZORBEL_BIN="$WORK/zorbel2-wine"
printf '#!/bin/sh\nexec wine "%s" "$@"\n' "$exe" >"$ZORBEL_BIN"
chmod +x "$ZORBEL_BIN"

start_x
start_game
read -r mx my < <(panel_origin 545 297)
read -r gx gy < <(panel_origin 641 577)

# Waits (up to about 20 s) until a logical region (x y w h) holds more than n pixels near r,g,b.
wait_colour() {
    for _ in $(seq 80); do
        shot poll 0
        (($(count_near_scaled poll "$1" "$2" "$3" "$4" "$5") > $6)) && return 0
        sleep 0.2
    done
    fail "$7"
}
# The red balls, then the title "Zorbel II": yellow text.
wait_colour $((mx + 32)) $((my + 64)) 28 27 "220,30,30" 100 "menu not drawn"
wait_colour $((mx + 216)) $((my + 32)) 305 177 "255,255,0" 500 "the menu is drawn without its text"

register_anna
[[ "$(ini_value name1)" == "ANNA" ]] || fail "name1 is '$(ini_value name1)'"
wait_colour $((mx + 232)) $((my + 256)) 281 25 "0,255,0" 50 "user label not shown after the login"

# Death Match: the green board with the worms' heads on it.
xdotool mousemove $((mx + 46)) $((my + 77)) click 1
wait_colour $((gx + 96)) $((gy + 80)) 436 436 "0,128,0" 50000 "Death Match board not shown"
red=$(count_near poll $((gx + 272)) $((gy + 42)) 120 20 "255,0,0")
((red > 20)) || fail "the Death Match caption is not shown: $red red pixels"

key Escape
wait_colour $((mx + 216)) $((my + 32)) 305 177 "255,255,0" 500 "menu not back after Esc"
key Escape
rc=$(wait_exit 200)
[[ "$rc" == "0" ]] || fail "exit status $rc"

# The installer, silent: the game goes to Program Files, and a replay opened through the shell, as
# a double click opens it, plays in the installed game from a folder with letters outside ASCII.
# The silent uninstaller takes the game and the file type away again.
installer=$(ls "$build"/zorbel2-*-windows-x64.exe | head -n1)
wine "$installer" /S || fail "the installer failed"
installed="$WINEPREFIX/drive_c/Program Files/Zorbel II"
for f in ComicNeue-Regular.otf ComicNeue-Bold.otf ComicNeue-OFL.txt; do
    [[ -f "$installed/$f" ]] || fail "the installer left out $f"
done
# Without Comic Neue as well the texts come from a face of the system's: a regular Tahoma (stood in
# for by Comic Neue's file), emboldened where the game asks for bold.
rm "$installed"/ComicNeue-*.otf
cp /usr/share/fonts/opentype/comic-neue/ComicNeue-Regular.otf "$fonts/tahoma.ttf"
cp "$here/../data/master-long.zr2" "$WORK/Zörbel/Rätsel.zr2"
printf '#!/bin/sh\nexec wine start /wait /unix "$@"\n' >"$ZORBEL_BIN"
# A double click passes no --scale: the game draws at the scale it chooses for the screen.
GAME_ARGS=("$WORK/Zörbel/Rätsel.zr2")
SCALE=1.5
read -r mx my < <(panel_origin 545 297)
read -r gx gy < <(panel_origin 641 577)
start_game
wait_colour $((gx + 208)) $((gy + 40)) 217 22 "255,0,0" 50 "the replay's caption is not shown"
key Escape
wait_colour $((mx + 216)) $((my + 32)) 305 177 "255,255,0" 500 "no menu after the replay"
key Escape
rc=$(wait_exit 200)
[[ "$rc" == "0" ]] || fail "exit status $rc after the replay"
wine 'C:\Program Files\Zorbel II\Uninstall.exe' /S || fail "the uninstaller failed"
wineserver -w
[[ ! -e "$installed" ]] || fail "the uninstaller left $installed"
! wine reg query 'HKCR\.zr2' >/dev/null 2>&1 || fail "the uninstaller left the .zr2 file type"
echo "windows smoke: ok"
