#!/usr/bin/env bash
# Start-up with a piece missing: the music file, the worm pictures, every font, the sound device,
# a writable home, a readable replay file. Each time the game starts, shows what it can, says nothing but its own
# messages, and ends with status 0. Without a display it says so and ends with status 1.
source "$(dirname "$0")/lib.sh"

prog=$(dirname "$ZORBEL_BIN")
bin=$(basename "$ZORBEL_BIN")
read -r mx my < <(panel_origin 545 297)
read -r bx by < <(board_origin)

# A program folder of the game's own in $WORK/<name>: the executable and its data files, less the
# files named. The game takes its data from the folder it runs from.
program_copy() {
    local dir="$WORK/$1"
    shift
    mkdir -p "$dir"
    cp "$ZORBEL_BIN" "$prog"/b?.bmp "$prog/zbmusic.mid" "$dir/"
    local file
    for file in "$@"; do
        # shellcheck disable=SC2086 # a file name may be a pattern
        rm -f "$dir"/$file
    done
    echo "$dir/$bin"
}

menu_shown() {
    (($(count_near "$1" $((mx + 32)) $((my + 64)) 28 27 "220,30,30") > 100))
}
title_shown() {
    (($(count_near "$1" $((mx + 216)) $((my + 32)) 305 177 "255,255,0") > 500))
}
board_shown() {
    (($(count_near "$1" "$bx" "$by" 436 436 "0,128,0") > 140000))
}
no_message_box() {
    [[ -z "$(message_boxes)" ]] || fail "$1: a message box appeared"
}
# Waits up to $2 seconds for a message box and leaves its "x y w h" in $boxes; exactly one must show.
one_message_box() {
    local end=$((SECONDS + $2))
    while boxes=$(message_boxes) && [[ -z "$boxes" ]] && ((SECONDS < end)); do
        sleep 0.1
    done
    [[ $(wc -l <<<"$boxes") == 1 && -n "$boxes" ]] || fail "$1: message boxes '$boxes'"
}
quiet() {
    [[ ! -s "$WORK/stderr.txt" ]] || fail "$1: unexpected output: $(cat "$WORK/stderr.txt")"
}
ends_with_escape() {
    key Escape
    local rc
    rc=$(wait_exit 50)
    [[ "$rc" == "0" ]] || fail "$1: exit status $rc"
}
# Logs in as a new user and starts a game.
play() {
    key Return
    key a n n a Return 1 2 Return
    sleep 0.5
    key Return
}

start_x

# No music: the menu as always, silently.
ZORBEL_BIN=$(program_copy no_music zbmusic.mid)
start_game
poll_shot missing_music 5 menu_shown || fail "no music: no menu"
title_shown missing_music || fail "no music: no title"
no_message_box "no music"
ends_with_escape "no music"
quiet "no music"

# No worm pictures: one message box in the game's window names them all; once Enter closed it,
# the menu and a game's board show, without the worms' beads.
ZORBEL_BIN=$(program_copy no_pictures 'b?.bmp')
start_game
# The menu is on screen first; the box comes as the game screen is built behind it.
one_message_box "no pictures" 5
read -r bx0 by0 bw0 bh0 <<<"$boxes"
((bx0 + bw0 / 2 == SCREEN_W / 2 && by0 + bh0 / 2 >= SCREEN_H / 2 - 1 && bh0 > 10 * 18)) ||
    fail "no pictures: the box '$boxes' is not centred or holds too little"
shot missing_pictures_message 0
key Return
no_message_box "no pictures, after the first"
poll_shot missing_pictures 5 menu_shown || fail "no pictures: no menu"
play
poll_shot missing_pictures_game 10 board_shown || fail "no pictures: no board"
[[ "$(board_cells missing_pictures_game | awk '$3 != "0,128,0"' | wc -l)" -le 1 ]] ||
    fail "no pictures: beads on the board"
no_message_box "no pictures, in the game"
key Escape
ends_with_escape "no pictures"
quiet "no pictures"

# No fonts at all: the pictures without the texts; the keys still log in and start a game.
ZORBEL_BIN=$(program_copy no_fonts)
printf '<?xml version="1.0"?>\n<fontconfig></fontconfig>\n' >"$WORK/fonts.conf"
FONTCONFIG_FILE="$WORK/fonts.conf" start_game
poll_shot missing_fonts 5 menu_shown || fail "no fonts: no menu"
! title_shown missing_fonts || fail "no fonts: a title was drawn after all"
play
poll_shot missing_fonts_game 10 board_shown || fail "no fonts: no board"
no_message_box "no fonts"
key Escape
ends_with_escape "no fonts"
quiet "no fonts"

# No sound device: ALSA finds no such card. ALSA's own complaints stay unprinted, and the click of
# Exit waits for nothing.
ZORBEL_BIN=$(program_copy no_sound)
SDL_AUDIODRIVER=alsa AUDIODEV=hw:9 start_game
poll_shot missing_sound 5 menu_shown || fail "no sound: no menu"
no_message_box "no sound"
xdotool mousemove $((mx + 46)) $((my + 269)) click 1
rc=$(wait_exit 30)
[[ "$rc" == "0" ]] || fail "no sound: exit status $rc after Exit: $(cat "$WORK/stderr.txt")"
quiet "no sound"

# No writable home: the game runs until it has to write; registering a user then says so, once.
ZORBEL_BIN=$(program_copy no_home)
touch "$WORK/file"
XDG_CONFIG_HOME="$WORK/file/config" HOME="$WORK/file/home" start_game
poll_shot missing_home 5 menu_shown || fail "no home: no menu"
no_message_box "no home, at start"
key Return
key a n n a Return 1 2 Return
# Registering hashes the password first, which takes seconds on a busy machine.
one_message_box "no home" 30
shot missing_home_message 0
# shellcheck disable=SC2086 # the box's x y w h
dismiss_message_box $boxes
no_message_box "no home, after the first"
# Escape leaves the login screen for the menu, and the menu for good.
key Escape
poll_shot missing_home_menu 5 menu_shown || fail "no home: no menu after the message"
ends_with_escape "no home"
quiet "no home"
# A damaged replay named on the command line: a message box, then the menu.
printf 'ZORBEL2R\001\000damaged' >"$WORK/bad.zr2"
GAME_ARGS+=(--replay "$WORK/bad.zr2")
start_game
one_message_box "bad replay" 5
# shellcheck disable=SC2086 # the box's x y w h
dismiss_message_box $boxes
poll_shot bad_replay_menu 5 menu_shown || fail "bad replay: no menu after the message"
no_message_box "bad replay, after the first"
ends_with_escape "bad replay"
quiet "bad replay"
# No display at all: the game says so and ends, instead of running on unseen. The display named is
# one that no X server holds (no lock file, no socket), whatever else runs on the machine.
rc=0
free=9999
while [[ -e "/tmp/.X$free-lock" || -e "/tmp/.X11-unix/X$free" ]]; do
    free=$((free + 1))
done
out=$(DISPLAY=":$free" timeout 30 "$ZORBEL_BIN" 2>&1) || rc=$?
[[ "$rc" == 1 && "$out" == *"Cannot open the display"* ]] || fail "no display: status $rc, '$out'"
echo "missing pieces: ok"
