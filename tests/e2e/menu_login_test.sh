#!/usr/bin/env bash
# The game starts into its menu with an empty configuration folder, registers a user typed on the
# keyboard and ends with Escape.
source "$(dirname "$0")/lib.sh"

start_x
start_game
shot menu
read -r px py < <(panel_origin 545 297)

# The title "Zorbel II" in yellow within its label, and the red ball of the Death Match item.
yellow=$(count_near menu $((px + 216)) $((py + 32)) 305 177 "255,255,0")
((yellow > 500)) || fail "title not drawn: $yellow yellow pixels"
red=$(count_near menu $((px + 32)) $((py + 64)) 28 27 "220,30,30")
((red > 100)) || fail "menu button picture not drawn: $red red pixels"
# New Game is hidden until someone logs in: its row shows no red ball.
hidden=$(count_near menu $((px + 32)) $((py + 24)) 28 27 "220,30,30")
((hidden == 0)) || fail "New Game shown before a login"

# Enter opens the login screen; ANNA, Enter, 1 2, Enter registers the user.
key Return
shot login
key a n n a Return 1 2 Return
expect_ini "1" Usr_Num
[[ "$(ini_value name1)" == "ANNA" ]] || fail "name1 is '$(ini_value name1)'"
[[ "$(ini_value pass1)" != "12" ]] || fail "the password is stored in plain text"
[[ "$(stat -c %a "$INI")" == "600" ]] || fail "settings file mode $(stat -c %a "$INI")"

shot menu_user
lime=$(count_near menu_user $((px + 232)) $((py + 256)) 281 25 "0,255,0")
((lime > 50)) || fail "user label not shown: $lime lime pixels"
shown=$(count_near menu_user $((px + 32)) $((py + 24)) 28 27 "220,30,30")
((shown > 100)) || fail "New Game not revealed after the login"

key Escape
rc=$(wait_exit 50)
[[ "$rc" == "0" ]] || fail "exit status $rc"
echo "menu and login: ok"
