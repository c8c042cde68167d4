#!/usr/bin/env bash
# The skill screen's Custom level set with the mouse on its triangle buttons (held and clicked),
# the single game's Up redefined as W on the controls screen, both stored in the settings file;
# then a game at the new level shows its two computer worms, its slower tick and the new key.
source "$(dirname "$0")/lib.sh"

mkdir -p "$(dirname "$INI")"
# A timer value edited by hand, three steps below 300, so that clicks reach it.
printf '[Custom]\ntimer=297\n' >"$INI"

load_worm_colours
player_cells() { cells_of "$1" "$player" | sort -n | tr '\n' ';'; }

click() {
    xdotool mousemove "$1" "$2" click 1
    sleep 0.3
}
BLUE="0,0,255"
YELLOW="255,255,0"
GREY="142,142,142"

start_x
start_game
read -r mx my < <(panel_origin 545 297)

# Settings, then Custom: its row lights up and its six buttons appear. Custom is clicked once the
# screen shows (Professional chosen), or the click would fall on the menu.
click $((mx + 46)) $((my + 112))
read -r kx ky < <(panel_origin 561 529)
professional_chosen() { (($(count_near "$1" $((kx + 56)) $((ky + 266)) 230 45 "$YELLOW") > 100)); }
poll_shot skill_shown 10 professional_chosen || fail "no settings screen"
click $((kx + 100)) $((ky + 430))
custom_selected() { (($(count_near "$1" $((kx + 56)) $((ky + 410)) 130 45 "$YELLOW") > 100)); }
poll_shot skill 5 custom_selected || fail "Custom not selected"
(($(count_near skill $((kx + 56)) $((ky + 266)) 230 45 "$YELLOW") == 0)) || fail "Professional still yellow"
(($(count_near skill $((kx + 56)) $((ky + 266)) 230 45 "$GREY") > 100)) || fail "Professional not grey"
# The buttons: probability, timer and worms, each a left- and a right-pointing triangle, on the
# values' lines in two columns.
buttons=("420 404" "462 404" "420 419" "462 419" "420 434" "462 434")
for b in "${buttons[@]}"; do
    read -r bx by <<<"$b"
    (($(count_near skill $((kx + bx)) $((ky + by)) 9 17 "$BLUE") > 25)) || fail "no button at $b"
done

# Holding the probability's decrease steps it on by itself, from 1/6 down to 1/1, and stops there.
# While held, the triangle sits 2 pixels lower and further right.
px=$((kx + 420)) py=$((ky + 404))
sunk() { (($(count_near "$1" $((px + 9)) "$py" 2 19 "$BLUE") > 5)); }
risen() { ! sunk "$1"; }
xdotool mousemove $((px + 4)) $((py + 8)) mousedown 1
poll_shot skill_pressed 5 sunk || fail "the held button did not sink"
sleep 1.5
xdotool mouseup 1
poll_shot skill_released 5 risen || fail "the button did not rise"
# Three clicks on the timer's increase: 297 to 300, one step each (the repeat starts 100 ms after a
# press, and a press anew waits its full 100 ms again).
for _ in 1 2 3; do
    click $((kx + 462 + 4)) $((ky + 419 + 6))
done
# The worm count does not repeat: held, then clicked, it goes 4, 3, 2.
xdotool mousemove $((kx + 420 + 4)) $((ky + 434 + 6)) mousedown 1
sleep 0.6
xdotool mouseup 1
click $((kx + 420 + 4)) $((ky + 434 + 6))
key Return
expect_ini "5 1 300 2" Skill prob timer worms

# Controls: the single game's Up box chosen with the mouse, named by W, saved. The box is clicked
# once the screen shows (its Save ball, red, where the menu has none), or the click would fall on
# the menu.
click $((mx + 46)) $((my + 189))
read -r cx cy < <(panel_origin 529 465)
ux=$((cx + 104 + 88)) uy=$((cy + 104 + 8))
controls_shown() { (($(count_near "$1" $((cx + 32)) $((cy + 406)) 28 27 "255,0,0") > 30)); }
poll_shot controls_shown 10 controls_shown || fail "no controls screen"
click $((ux + 32)) $((uy + 32))
selected() { (($(count_near "$1" "$ux" "$uy" 65 65 "255,94,94") > 100)); }
unselected() { ! selected "$1"; }
poll_shot controls 5 selected || fail "the Up box is not selected"
key w
poll_shot controls_w 5 unselected || fail "the selection stayed"
click $((cx + 46)) $((cy + 419))
expect_ini "37 39 87 40 38 38" LeftKey RightKey UpKey DownKey UpKey1 UpKey2

# A game at the new level: two computer worms, no more.
register_anna
key Return
two_worms_out() {
    [[ "$(player_cells "$1")" == "15 15;" ]] &&
        (($(cells_of "$1" "${worm[1]}" | wc -l) >= 2 && $(cells_of "$1" "${worm[2]}" | wc -l) >= 2))
}
poll_shot game_custom 10 two_worms_out || fail "no game with two worms: $(board_cells game_custom | awk '$3 != "0,128,0"' | head)"
for n in 3 4 5 6 7 8; do
    [[ -z "$(cells_of game_custom "${worm[n]}")" ]] || fail "computer worm $n on the board"
done

# Up no longer turns the worm; W does, one cell each 300 ms tick: four cells take at least three
# ticks after the one that makes the turn.
key Up
shot custom_up 0.7
[[ "$(player_cells custom_up)" == "15 15;" ]] || fail "Up still moves the worm: $(player_cells custom_up)"
# The computer worms wander, and one may cross the column and kill the worm before its fourth
# cell. W has then done its part, and the tick is timed again in the next game. A worm that has
# moved and then shows no cells, or one bead on the centre again, has died: it is being erased,
# or the next game has begun (a slow screenshot can miss the empty board in between).
up4() { player_cells "$1" | grep -q '15 11;'; }
moved() { [[ "$(player_cells "$1")" != "15 15;" ]]; }
up4_or_over() { up4 "$1" || ! moved "$1" || [[ -z "$(player_cells "$1")" ]]; }
for game in 1 2 3; do
    start=$(date +%s%N)
    xdotool key w
    poll_shot custom_w 10 moved || fail "W did not move the worm up: $(player_cells custom_w)"
    poll_shot custom_w4 10 up4_or_over || fail "the worm stopped: $(player_cells custom_w4)"
    elapsed=$((($(date +%s%N) - start) / 1000000))
    ! up4 custom_w4 || break
    ((game < 3)) || fail "a computer worm killed the player in three games running"
    echo "game $game: a computer worm killed the player on its way up; timed again"
    poll_shot game_custom_next 20 two_worms_out || fail "no next game after the worm died"
done
((elapsed >= 800)) || fail "four cells in $elapsed ms: the tick is not 300 ms"

key Escape
sleep 0.3
key Escape
expect_clean_exit
echo "settings and controls: ok"
