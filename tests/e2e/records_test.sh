#!/usr/bin/env bash
# A registered player plays two games at the Professional level, each ended by running the worm
# up into whatever stops it first; the records table in the settings file then holds the player's
# slot with both games, and Statistics from the menu shows that table. A click on the player's
# name there plays her best game as a replay to its end, and Esc goes back to the table.
source "$(dirname "$0")/lib.sh"

player=$(picture_rgb "$(dirname "$ZORBEL_BIN")/b0.bmp")
player_cells() { cells_of "$1" "$player" | sort -n | tr '\n' ';'; }
# A game is on and the player has not moved yet.
waiting_player() { [[ "$(player_cells "$1")" == "15 15;" ]]; }

# Waits until the settings file says the player has played $1 games at level 3.
wait_games() {
    for _ in $(seq 150); do
        [[ -f "$INI" && "$(ini_value games31)" == "$1" ]] && return 0
        sleep 0.1
    done
    fail "games31 is '$(ini_value games31 2>/dev/null)' instead of $1"
}

start_x
start_game
register_anna

for game in 1 2; do
    [[ "$game" == 1 ]] && key Return
    poll_shot "records_game$game" 10 waiting_player || fail "game $game did not begin"
    key Up
    wait_games "$game"
done

# The player's slot is the first, with the two games; its average is what it ate over two games,
# cut to two decimals with a comma.
[[ "$(ini_value name31)" == "ANNA" ]] || fail "name31 is '$(ini_value name31)'"
eaten=$(ini_value eaten31)
[[ "$eaten" =~ ^[0-9]+$ ]] || fail "eaten31 is '$eaten'"
average=$(awk -v e="$eaten" 'BEGIN { c = int(e * 100 / 2); printf "%d,%02d", c / 100, c % 100 }')
[[ "$(ini_value average31)" == "$average" ]] || fail "average31 is '$(ini_value average31)', not $average"
score=$(ini_value score31)
if ! [[ "$score" =~ ^[0-9]+$ ]] || ((score > eaten)); then
    fail "score31 is '$score' with $eaten eaten"
fi
# The other six slots are written too, empty: name, score, games, eaten, average.
for slot in 2 3 4 5 6 7; do
    entry=$(ini_values "name3$slot" "score3$slot" "games3$slot" "eaten3$slot" "average3$slot")
    [[ "$entry" == " 0 0 0 0,00" ]] || fail "slot $slot is '$entry'"
done
# No other level's table.
! grep -qi '^games[124]' "$INI" || fail "another level's records were written"

# Statistics from the menu: the Professional table.
key Escape
read -r mx my < <(panel_origin 545 297)
xdotool mousemove $((mx + 46)) $((my + 149)) click 1
read -r sx sy < <(panel_origin 577 449)
caption() { # shot, left, width, colour: pixels of that colour in a level caption
    count_near "$1" $(($2 + sx)) $((sy + 356)) "$3" 32 "$4"
}
GREY="142,142,142"
professional_shown() {
    (($(caption "$1" 288 130 "255,255,0") > 100))
}
poll_shot statistics 5 professional_shown || fail "Professional is not shown in yellow"
for level in "80 100" "184 100" "424 90"; do
    read -r left width <<<"$level"
    yellow=$(caption statistics "$left" "$width" "255,255,0")
    grey=$(caption statistics "$left" "$width" "$GREY")
    ((yellow == 0 && grey > 50)) || fail "caption at $left: $yellow yellow, $grey grey pixels"
done
# Row 1 holds the player's name and numbers; row 2, a free slot, is blank.
row_text() { count_near "$1" $((sx + 24)) $((sy + $2)) 530 22 "255,255,255"; }
(($(row_text statistics 124) > 100)) || fail "the player's row is empty"
(($(row_text statistics 156) == 0)) || fail "the free second row is not blank"

# The replay: the board with the player's worm and the red caption under the title, until the
# caption over the last board; watching leaves the settings file as it was.
cp "$INI" "$WORK/settings_before"
xdotool mousemove $((sx + 34)) $((sy + 132)) click 1
read -r gx gy < <(panel_origin 641 577)
replaying() {
    [[ -n "$(player_cells "$1")" ]] &&
        (($(count_near "$1" $((gx + 208)) $((gy + 40)) 217 22 "255,0,0") > 50))
}
poll_shot replay_playing 10 replaying || fail "picking the row did not play the replay"
poll_shot replay_end 60 caption_shown || fail "the replay did not reach its end"
key Escape
poll_shot replay_back 5 professional_shown || fail "Esc did not go back to the statistics"
cmp -s "$INI" "$WORK/settings_before" || fail "watching changed the settings file"

# The right key steps to Master, where nobody has played.
key Right
master_shown() { (($(caption "$1" 424 90 "255,255,0") > 100)); }
poll_shot statistics_master 5 master_shown || fail "Right did not show Master"
(($(caption statistics_master 288 130 "255,255,0") == 0)) || fail "Professional still yellow"
(($(row_text statistics_master 124) == 0)) || fail "the Master table is not empty"

key Escape
sleep 0.3
key Escape
expect_clean_exit
echo "records: ok"
