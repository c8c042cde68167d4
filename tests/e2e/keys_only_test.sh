#!/usr/bin/env bash
# A whole first session with the keyboard alone, no mouse event sent: a registration, Master
# chosen on the settings screen, player 2's Up bound to W on the controls screen, a game, its
# replay watched from the statistics, a death match, and the way out. The menu's focus is moved
# by the arrows and Tab and its item opened with Enter.
source "$(dirname "$0")/lib.sh"

player=$(picture_rgb "$(dirname "$ZORBEL_BIN")/b0.bmp")
player_cells() { cells_of "$1" "$player" | sort -n | tr '\n' ';'; }
waiting_player() { [[ "$(player_cells "$1")" == "15 15;" ]]; }
read -r mx my < <(panel_origin 545 297)
# The menu item whose caption starts at logical row $2 of the menu's panel shows the focus.
focused() { (($(count_near "$1" $((mx + 72)) $((my + $2)) 120 26 "255,255,0") > 40)); }
settings_focused() { focused "$1" 101; }

start_x
start_game
register_anna

# New Game, Death Match, Settings: the third item down now that somebody is logged in.
key Down Down Down
poll_shot keys_menu_focus 5 settings_focused || fail "the focus is not shown on Settings"
key Return Down Return
expect_ini "4" Skill

# Controls is two further down; player 2's Up is four back from the first box, Save two past it.
key Down Down Return shift+Tab shift+Tab shift+Tab shift+Tab Return w Down Down Return
expect_ini "87" UpKey2

# Up four times: New Game.
key Up Up Up Up Return
poll_shot keys_game 10 waiting_player || fail "the game did not begin"
key Up
expect_ini "1" games41
key Escape

# Statistics is three down from New Game; its first row is ANNA's, whose game plays on Enter.
key Down Down Down Return Down Return
read -r gx gy < <(panel_origin 641 577)
replaying() {
    [[ -n "$(player_cells "$1")" ]] &&
        (($(count_near "$1" $((gx + 208)) $((gy + 40)) 217 22 "255,0,0") > 50))
}
poll_shot keys_replay 15 replaying || fail "the statistics did not play the replay"
key Escape Escape

# Death Match is two up from Statistics.
read -r bx by < <(board_origin)
head_at() { [[ "$(pixel "$1" $((bx + 15 * $2 - 7)) $((by + 15 * $3 - 7)))" != "0,128,0" ]]; }
bout_on() { head_at "$1" 10 10 && head_at "$1" 20 20; }
key Up Up Return
poll_shot keys_bout 10 bout_on || fail "no death match began"
key Escape
death_match_focused() { focused "$1" 64; }
poll_shot keys_back 5 death_match_focused || fail "Esc did not go back to the menu"
key Escape
expect_clean_exit
echo "keys only: ok"
