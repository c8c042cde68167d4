#!/usr/bin/env bash
# Death Match without a login: player 2's up key redefined on the controls screen, both worms and
# both targets on the board, one arrow key turning both worms, Pause during a removal changing
# nothing, the redefined key turning player 2 alone, and Esc back to the menu.
source "$(dirname "$0")/lib.sh"

start_x
start_game
read -r mx my < <(panel_origin 545 297)
read -r gx gy < <(panel_origin 641 577)
BOARD="0,128,0"

# Held a moment, as a hand does: a press and release in one instant were once lost at start-up.
click() {
    xdotool mousemove --sync "$1" "$2" mousedown 1 sleep 0.1 mouseup 1
    sleep 0.3
}
# Centre pixel of board cell (x, y) in a screenshot.
cell() {
    pixel "$1" $((gx + 96 + 15 * $2 - 7)) $((gy + 80 + 15 * $3 - 7))
}
is_board() { [[ "$(cell "$1" "$2" "$3")" == "$BOARD" ]]; }
# Waits (up to about 6 s) until cell (x, y) is, or is not, the board's green.
wait_cell() {
    local want=$1 x=$2 y=$3
    for _ in $(seq 30); do
        shot poll 0
        if is_board poll "$x" "$y"; then
            [[ "$want" == board ]] && return 0
        else
            [[ "$want" == worm ]] && return 0
        fi
        sleep 0.1
    done
    fail "cell ($x, $y) never became $want"
}

# Waits (up to about 10 s) until a region (x y w h) holds more than n pixels near r,g,b.
wait_colour() {
    for _ in $(seq 40); do
        shot poll 0
        (($(count_near poll "$1" "$2" "$3" "$4" "$5") > $6)) && return 0
        sleep 0.2
    done
    fail "$7"
}

# Controls: player 2's up key becomes W, saved. Each step waits for the screen it needs, since
# a loaded machine may be slow to show it.
wait_colour $((mx + 216)) $((my + 32)) 305 177 "255,255,0" 500 "menu not drawn"
click $((mx + 46)) $((my + 189))
read -r kx ky < <(panel_origin 529 465)
wait_colour $((kx + 24)) $((ky + 16)) 160 45 "255,0,0" 100 "controls screen not shown"
click $((kx + 272 + 64 + 24)) $((ky + 296 + 8 + 20))
key w
shot controls_p2_up
click $((kx + 46)) $((ky + 419))
for _ in $(seq 50); do
    [[ -f "$INI" ]] && break
    sleep 0.1
done
[[ "$(ini_value UpKey2)" == "87" ]] || fail "UpKey2 is '$(ini_value UpKey2)'"
[[ "$(ini_value UpKey1)" == "38" ]] || fail "UpKey1 is '$(ini_value UpKey1)'"
before=$(cat "$INI")

# Death Match from the menu: both heads on their start cells, both targets on the board.
click $((mx + 46)) $((my + 77))
wait_cell worm 10 10
shot deathmatch_start
is_board deathmatch_start 20 20 && fail "player 2's head not drawn"
bx=$((gx + 96)) by=$((gy + 80))
# Less whatever the heads' own squares hold, so that only the targets count.
near_off_heads() {
    local all head1 head2
    all=$(count_near deathmatch_start "$bx" "$by" 436 436 "$1")
    head1=$(count_near deathmatch_start $((bx + 136)) $((by + 136)) 14 14 "$1")
    head2=$(count_near deathmatch_start $((bx + 286)) $((by + 286)) 14 14 "$1")
    echo $((all - head1 - head2))
}
# Each player's target is in its worm's colour.
load_worm_colours
target1=$(near_off_heads "$player")
target2=$(near_off_heads "${worm[2]}")
echo "targets: $target1 pixels of player 1's colour, $target2 of player 2's"
((target1 >= 5)) || fail "player 1's target not seen: $target1 pixels of $player"
((target2 >= 5)) || fail "player 2's target not seen: $target2 pixels of ${worm[2]}"
red=$(count_near deathmatch_start $((gx + 272)) $((gy + 42)) 120 20 "255,0,0")
((red > 20)) || fail "the Death Match caption is not shown: $red red pixels"

# Player 1 reaches the wall first, which gives player 2 a point, unless a worm meets the other's
# target on its way and dies of it first: the targets fall anywhere, even on the cell beside a
# head, where the first step ends the bout. Both may die in one tick, player 2 on player 1's
# target as player 1 meets the wall, and then no one scores. Whichever way, a bout ends, and Pause
# during the removal that follows changes nothing: the next bout starts and draws both heads again.
# The end is read from the scores or from the next bout's heads, not from the short-lived green of
# the start cell, which a slow screenshot can miss.
scores() {
    echo "$(count_near "$1" $((gx + 25)) $((gy + 30)) 60 25 "255,255,255")" \
        "$(count_near "$1" $((gx + 560)) $((gy + 30)) 60 25 "255,255,255")"
}
before_scores=$(scores deathmatch_start)
scored() { [[ "$(scores "$1")" != "$before_scores" ]]; }

# Where the worms are is read from their beads' colours: a target may lie on a cell looked at.
beads() { cells_of "$1" "$2" | tr '\n' ';'; }
# A bout that has not begun to move: each worm one bead on its start cell.
standing() {
    [[ "$(beads "$1" "$player")" == "10 10;" && "$(beads "$1" "${worm[2]}")" == "20 20;" ]]
}
# Whether all beads of the worm of colour $2 lie in row y, left of column x.
left_of() { cells_of "$1" "$2" | awk -v x="$3" -v y="$4" '$2 != y || $1 >= x { bad = 1 } END { exit bad }'; }

# With the default keys one Left sends both worms left.
key Left
both_left() { bead_at "$1" 8 10 "$player" && bead_at "$1" 18 20 "${worm[2]}"; }
left_or_scored() { both_left "$1" || scored "$1"; }
poll_shot deathmatch 5 left_or_scored || fail "the worms did not both go left, and no one scored"
left_of deathmatch "$player" 11 10 || fail "player 1 went right: $(beads deathmatch "$player")"
left_of deathmatch "${worm[2]}" 21 20 || fail "player 2 went right: $(beads deathmatch "${worm[2]}")"
bout_over() { scored "$1" || standing "$1"; }
poll_shot deathmatch_scored 10 bout_over || fail "the bout did not end"
key Pause
# The next bout stands each worm as one bead on its start cell. On a loaded machine Pause may reach
# it before its first tick, which is the one that draws the heads: the bout then waits paused on
# an empty board, and Pause again lets it draw.
paused_unseen() {
    [[ -z "$(beads "$1" "$player")$(beads "$1" "${worm[2]}")" ]] && caption_shown "$1"
}
next_bout() { standing "$1" || paused_unseen "$1"; }
poll_shot deathmatch_next 10 next_bout ||
    fail "no next bout: $(beads deathmatch_next "$player") $(beads deathmatch_next "${worm[2]}")"
if ! standing deathmatch_next; then
    echo "the new bout was paused before its first tick"
    key Pause
    poll_shot deathmatch_next 5 standing || fail "the heads were not drawn after Pause"
fi

# W is player 2's up alone now. On a loaded machine the removal may have ended before Pause
# arrived, which then paused the new bout: Pause again resumes it, and W must still have turned
# player 2 alone. Player 1's target may lie in player 2's way up, which the target hides as it
# kills: a point for player 1 then shows that player 2 moved.
w_scores=$(scores deathmatch_next)
key w
p2_up() {
    bead_at "$1" 20 18 "${worm[2]}" || [[ "$(scores "$1" | cut -d' ' -f1)" != "${w_scores%% *}" ]]
}
if ! poll_shot deathmatch_w 3 p2_up; then
    echo "the new bout was paused: Pause reached it after the removal"
    key Pause
    poll_shot deathmatch_w 5 p2_up || fail "W did not send player 2 up"
fi
[[ "$(beads deathmatch_w "$player")" == "10 10;" ]] ||
    fail "W moved player 1: $(beads deathmatch_w "$player")"

key Escape
shot menu_again
yellow=$(count_near menu_again $((mx + 216)) $((my + 32)) 305 177 "255,255,0")
((yellow > 500)) || fail "menu not shown after Esc: $yellow yellow pixels"
[[ "$(cat "$INI")" == "$before" ]] || fail "the death match wrote to the settings file"
key Escape
rc=$(wait_exit 50)
[[ "$rc" == "0" ]] || fail "exit status $rc"
echo "death match: ok"
