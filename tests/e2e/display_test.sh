#!/usr/bin/env bash
# The display at 1920 x 1080 with the scale the game chooses there (1.75): the menu answers the
# mouse where it is drawn, a game started by mouse fills most of the screen's height and is
# steered, and F11 turns the full screen into a window and back while the game runs on. A window
# destroyed by another program does not end the game.
source "$(dirname "$0")/lib.sh"
SCREEN_W=1920
SCREEN_H=1080
GAME_ARGS=()
SCALE=1.75

mkdir -p "$(dirname "$INI")"
# Slow ticks: the worm's run up to the wall outlasts both switches.
printf '[Main]\nSkill=5\n[Custom]\nprob=6\ntimer=999\nworms=5\n' >"$INI"
load_worm_colours
read -r mx my < <(panel_origin 545 297)
title_shown() { (($(count_near_scaled "$1" $((mx + 216)) $((my + 32)) 305 177 "255,255,0") > 1500)); }
new_game_shown() { (($(count_near_scaled "$1" $((mx + 32)) $((my + 24)) 28 27 "220,30,30") > 300)); }
player_top() { cells_of "$1" "$player" | awk '$1 == 15 { print $2 }' | sort -n | head -n1; }
worms_out() { for n in 1 2 3 4 5; do [[ -n "$(cells_of "$1" "${worm[n]}")" ]] || return 1; done; }
# Waits (at most 5 s) for the game's window to take a size.
window_is() {
    for _ in $(seq 50); do
        xwininfo -name Zorbel2 | grep -q -- "-geometry $1" && return 0
        sleep 0.1
    done
    fail "the window is not $1: $(xwininfo -name Zorbel2 | grep geometry)"
}

start_x
start_game
poll_shot display_menu 10 title_shown || fail "no menu at the scaled place"
# The Login ball, clicked where the scaled menu shows it.
click_at 32 214 28 27 545 297
poll_shot display_login 10 eval '! title_shown' || fail "the Login ball did not answer the mouse"
key a n n a Return 1 2 Return
# A registration hashes its password first: on a busy machine that alone can take seconds.
poll_shot display_menu_user 20 new_game_shown || fail "no New Game after the login"
click_at 32 24 28 27 545 297
poll_shot display_board 10 worms_out || fail "no game began"

# The board's grid: its first and last lines unbroken across, at the scaled places.
read -r bx by < <(board_origin)
for y in "$by" $((by + 435)); do
    black=$(count_near_scaled display_board "$bx" "$y" 436 1 "0,0,0")
    ((black >= $(phys 436) - 2)) || fail "grid line at $y: $black black pixels"
done
height=$(($(phys $((by + 436))) - $(phys "$by")))
((height * 10 >= SCREEN_H * 6)) || fail "the board is $height pixels high"

key Up
moved() { local t; t=$(player_top "$1"); [[ -n "$t" ]] && ((t < 15)); }
poll_shot display_steered 15 moved || fail "the worm did not go up: $(player_top display_steered)"
before=$(player_top display_steered)

key F11
window_is 1440x810
key F11
window_is 1920x1080

# The same game went on: its worms are still on the board, and the player's worm crawled on
# from where it was instead of starting again in the middle.
on() { local t; t=$(player_top "$1"); worms_out "$1" && [[ -n "$t" ]] && ((t < before)); }
poll_shot display_back 15 on || fail "the game did not run on: top $(player_top display_back), was $before"
[[ "$(ini_values Fullscreen Width Height)" == "1 1440 810" ]] ||
    fail "display not remembered: $(ini_values Fullscreen Width Height)"

key Escape
key Escape
expect_clean_exit

# Another program destroys the game's window: what the window system then refuses about it is
# reported on stderr, and the game runs on instead of ending.
start_game
xdotool search --name '^Zorbel2$' windowclose
for _ in $(seq 100); do
    grep -q "^zorbel2: window system error BadWindow" "$WORK/stderr.txt" && break
    sleep 0.1
done
[[ "$(wait_exit 10)" == running ]] && grep -q "^zorbel2: window system error" "$WORK/stderr.txt" ||
    fail "window destroyed: $(cat "$WORK/stderr.txt")"
echo "display: ok"
