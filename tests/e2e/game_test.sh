#!/usr/bin/env bash
# A logged-in player starts a game with Enter, runs the worm into the right wall, sees it erased
# and the next game begin, then goes back to the menu with Escape.
#
# The Custom level with five computer worms puts them on the outer ring, none on the right half of
# the middle row. A worm moves one cell a tick like the player, so one that starts fewer than five
# ticks ahead of the player's run from the centre to the right wall cannot reach its path in time:
# the death is always the wall's. Slow ticks give the test those five ticks to react.
source "$(dirname "$0")/lib.sh"

mkdir -p "$(dirname "$INI")"
# A slow tick leaves the screenshots time to catch the game's first ticks on a loaded machine.
printf '[Main]\nSkill=5\n[Custom]\nprob=6\ntimer=700\nworms=5\n' >"$INI"

load_worm_colours
read -r bx by < <(board_origin)

player_cells() { cells_of "$1" "$player" | sort -n | tr '\n' ';'; }

# A game is on before the player's first key: its worm is one bead on the centre cell, and every
# computer worm has come out of its start cell. Both hold until the first key, so a slow
# screenshot on a loaded machine still sees them.
computer_worms_out() {
    [[ "$(player_cells "$1")" == "15 15;" ]] || return 1
    local n
    for n in 1 2 3 4 5; do
        [[ -n "$(cells_of "$1" "${worm[n]}")" ]] || return 1
    done
}

start_x
start_game
register_anna
key Return
poll_shot game_board 15 computer_worms_out || fail "no game began: player at '$(player_cells game_board)'"
# Right at once: the worm crawls along the middle row to the wall.
key Right
# The run to the wall, the death and the erasing take about four seconds, and the worm stands at
# the wall for less than two: a loaded machine's screenshot with its checks can take longer. So
# from here until the next game shows the board is filmed in the background, and the screen is
# only polled for the two states that last: the worm on its way, then the next game. Every other
# check of the shots waits until the filming has stopped, leaving the machine to it meanwhile.
burst_start death "$bx" "$by" 436 436
# Some bead of the worm's shown off the start cell (a shot with no worm at all proves nothing).
left_start() {
    local cells
    cells=$(player_cells "$1")
    [[ -n "$cells" && "$cells" != "15 15;" ]]
}
poll_shot game_run 20 left_start || fail "the worm did not leave its start cell: '$(player_cells game_run)'"
# Then the next game starts by itself.
poll_shot game_next 30 computer_worms_out || fail "no next game: player at '$(player_cells game_next)'"
burst_stop death

# The start of the game: only the five computer worms of the level crawl.
for n in 6 7 8; do
    [[ -z "$(cells_of game_board "${worm[n]}")" ]] || fail "computer worm $n on the board"
done
# The board's green shows in the cells, and the grid's black lines run unbroken across it.
green=$(count_near game_board "$bx" "$by" 436 436 "0,128,0")
((green > 140000)) || fail "board green: $green pixels"
for k in 0 7 14 29; do
    column=$(count_near game_board $((bx + 15 * k)) "$by" 1 436 "0,0,0")
    row=$(count_near game_board "$bx" $((by + 15 * k)) 436 1 "0,0,0")
    ((column == 436 && row == 436)) || fail "grid line $k broken: $column, $row black pixels"
done
targets=$(target_cells game_board | wc -l)
((targets == 1)) || fail "$targets targets on the board"

# The worm at the wall: in the shot of its run, else in the frames (the newest first, so only
# those since the death are looked at).
at_wall() { player_cells "$1" | grep -q '29 15;'; }
if at_wall game_run; then
    cp "$WORK/game_run.png" "$WORK/game_wall.png"
else
    burst_find death at_wall ||
        fail "the worm did not reach the wall among $(ls "$WORK"/death-*.ppm | wc -l) frames; on its way: '$(player_cells game_run)'"
    cp "$WORK/death.png" "$WORK/game_wall.png"
fi
keep_shot game_wall

# The worm's beads left on the board: one run along the middle row up to the wall.
run_to_wall() {
    local cells
    cells=$(player_cells "$1")
    local n
    n=$(tr -cd ';' <<<"$cells" | wc -c)
    [[ "$cells" == "$(for ((x = 30 - n; x <= 29; ++x)); do printf '%d 15;' "$x"; done)" ]] ||
        fail "the worm's beads at the wall: $cells"
    echo "$n"
}
beads=$(run_to_wall game_wall)

# It dies there and is erased tail first: the bead at the wall goes last. A worm that reached the
# wall alive has at least its ten beads, so fewer with the one at the wall still there is the
# erasing (the shot at the wall may have caught it already).
erasing() {
    local cells
    cells=$(cells_of "$1" "$player")
    grep -q '^29 15$' <<<"$cells" && (($(wc -l <<<"$cells") < 10))
}
if ((beads >= 10)); then
    burst_find death erasing || fail "no erasing after the death among $(ls "$WORK"/death-*.ppm | wc -l) frames"
    beads=$(run_to_wall death)
fi
((beads < 10)) || fail "the worm was not erased from its tail: $beads beads"
targets=$(target_cells game_next | wc -l)
((targets == 1)) || fail "$targets targets in the next game"

# Escape brings the menu back, with no board behind it.
key Escape
read -r mx my < <(panel_origin 545 297)
menu_shown() {
    (($(count_near "$1" $((mx + 216)) $((my + 32)) 305 177 "255,255,0") > 500)) &&
        (($(count_near "$1" $((mx + 32)) $((my + 64)) 28 27 "220,30,30") > 100))
}
poll_shot menu_again 5 menu_shown || fail "the menu did not come back"
# The strip of the board above the menu's panel.
green=$(count_near menu_again "$bx" "$by" 436 $((my - by)) "0,128,0")
((green == 0)) || fail "the board still shows behind the menu: $green green pixels"

key Escape
expect_clean_exit
echo "game: ok"
