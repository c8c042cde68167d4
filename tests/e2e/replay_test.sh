#!/usr/bin/env bash
# A registered player plays a game at the Professional level and dies; the game is kept, and
# picking the player's row on the statistics screen plays it on the game screen, captioned as a
# replay, to its end, and Esc goes back to the table, the settings file untouched. Then a damaged
# replay file named on the command line is refused in a message box before the menu.
source "$(dirname "$0")/lib.sh"

player=$(picture_rgb "$(dirname "$ZORBEL_BIN")/b0.bmp")
player_cells() { cells_of "$1" "$player" | sort -n | tr '\n' ';'; }
waiting_player() { [[ "$(player_cells "$1")" == "15 15;" ]]; }
read -r gx gy < <(panel_origin 641 577)
read -r bx by < <(board_origin)
read -r sx sy < <(panel_origin 577 449)
read -r mx my < <(panel_origin 545 297)

start_x
start_game
register_anna
key Return
poll_shot replay_game 10 waiting_player || fail "the game did not begin"
key Up
for _ in $(seq 150); do
    [[ -f "$INI" && "$(ini_value games31)" == "1" ]] && break
    sleep 0.1
done
[[ "$(ini_value games31)" == "1" ]] || fail "the game was not recorded"
poll_shot replay_next 10 waiting_player || fail "the next game did not begin"
key Escape
best="$REPLAYS/best-3-_a_n_n_a.zr2"
[[ -s "$best" ]] || fail "no best game kept: $(ls -R "$XDG_DATA_HOME" 2>&1)"
cp "$INI" "$WORK/settings_before"

# Statistics from the menu; a click on ANNA's name plays her game.
xdotool mousemove $((mx + 46)) $((my + 149)) click 1
professional_shown() {
    (($(count_near "$1" $((sx + 288)) $((sy + 356)) 130 32 "255,255,0") > 100))
}
poll_shot replay_statistics 5 professional_shown || fail "the statistics screen is not shown"
xdotool mousemove $((sx + 34)) $((sy + 132)) click 1
replaying() {
    (($(count_near "$1" "$bx" "$by" 436 436 "0,128,0") > 100000)) &&
        [[ -n "$(player_cells "$1")" ]] &&
        (($(count_near "$1" $((gx + 208)) $((gy + 40)) 217 22 "255,0,0") > 50))
}
poll_shot replay_playing 10 replaying || fail "picking the row did not play the replay"
# At its end the last board stays with a caption over it until Esc.
the_end() { (($(count_near "$1" "$bx" $((by + 200)) 436 36 "255,255,0") > 300)); }
poll_shot replay_end 30 the_end || fail "the replay did not reach its end"
key Escape
poll_shot replay_back 5 professional_shown || fail "Esc did not go back to the statistics"
cmp -s "$INI" "$WORK/settings_before" || fail "watching changed the settings file"
key Escape
sleep 0.3
key Escape
expect_clean_exit

# A damaged file: a message box over the menu, then the menu.
head -c 40 "$best" >"$WORK/bad.zr2"
printf 'damaged' >>"$WORK/bad.zr2"
GAME_ARGS+=(--replay "$WORK/bad.zr2")
start_game
box=""
for _ in $(seq 50); do
    box=$(message_boxes)
    [[ -n "$box" ]] && break
    sleep 0.1
done
[[ -n "$box" ]] || fail "no message for a damaged replay"
# shellcheck disable=SC2086 # x y w h
dismiss_message_box $box
menu_shown() { (($(count_near "$1" $((mx + 32)) $((my + 64)) 28 27 "220,30,30") > 100)); }
poll_shot replay_menu 5 menu_shown || fail "the menu did not follow the message"
[[ -z "$(message_boxes)" ]] || fail "the message box stayed"
key Escape
expect_clean_exit
echo "replay: ok"
