#!/usr/bin/env bash
# A death match loses the keyboard focus to another window: it pauses and says so on the board;
# back in the game's window, Pause takes the caption away and the bout goes on.
source "$(dirname "$0")/lib.sh"

start_x
start_game
read -r mx my < <(panel_origin 545 297)
read -r bx by < <(board_origin)
game_window=$(xdotool search --name '^Zorbel2$' | head -n1)
head_at() { [[ "$(pixel "$1" $((bx + 15 * $2 - 7)) $((by + 15 * $3 - 7)))" != "0,128,0" ]]; }
# A target may lie beside a start cell, and must not pass for a worm's bead.
load_worm_colours
# The worms stand on their start cells until their players move: the bout is in play meanwhile.
bout_on() { head_at "$1" 10 10 && head_at "$1" 20 20; }

xdotool windowfocus --sync "$game_window"
xdotool mousemove $((mx + 46)) $((my + 77)) click 1
poll_shot focus_bout 10 bout_on || fail "no death match began"
caption_gone focus_bout || fail "a caption before any pause"

# Another window takes the focus, as a notification or Alt+Tab would give it.
xmessage -geometry +0+0 "elsewhere" &
other=$!
for _ in $(seq 100); do
    xdotool search --name '^xmessage$' >/dev/null 2>&1 && break
    sleep 0.05
done
xdotool windowfocus --sync "$(xdotool search --name '^xmessage$' | head -n1)"
poll_shot focus_paused 10 caption_shown || fail "the game did not pause when it lost the focus"
kill "$other"

# Left would send both worms left: nothing moves while paused.
xdotool windowfocus --sync "$game_window"
key Left
shot focus_still 0.5
! bead_at focus_still 9 10 "$player" && ! bead_at focus_still 19 20 "${worm[2]}" ||
    fail "a worm moved while paused"
caption_shown focus_still || fail "the caption went before Pause"

# Player 1 runs left into the wall, which scores for player 2: on a busy machine the screenshot
# may come only after that bout, so the point shows the move as well as the bead does.
score2() { count_near "$1" $((bx + 464)) $((by - 50)) 60 25 "255,255,255"; }
paused_score2=$(score2 focus_still)
key Pause
moved() {
    caption_gone "$1" && { bead_at "$1" 9 10 "$player" || (($(score2 "$1") != paused_score2)); }
}
poll_shot focus_resumed 10 moved || fail "Pause did not resume the bout"

key Escape
key Escape
expect_clean_exit
echo "focus: ok"
