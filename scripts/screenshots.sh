#!/usr/bin/env bash
# Takes the README's screenshots from the real game on the most common desktop, 1920 x 1080 at
# the scale the game chooses there: a tour of every screen under a private X server (Xvfb),
# driven by the end-to-end tests' helpers, each shot waited for by what the screen shows. The
# pictures go to docs/screenshots/ at half size, and the README's "Screenshots" section lists
# them.
#
#   scripts/screenshots.sh [build folder]      (default: build, as made by `cmake --preset default`)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=$PWD/docs/screenshots
export ZORBEL_BIN=$PWD/$build/zorbel2
[[ -x "$ZORBEL_BIN" ]] || {
    echo "No game in $build: run cmake --preset default && cmake --build --preset default first." >&2
    exit 1
}
source tests/e2e/lib.sh
SCREEN_W=1920
SCREEN_H=1080
GAME_ARGS=()
SCALE=1.75

# Waits (at most 10 s) until a logical rectangle of the screen (x y w h) holds more than n
# pixels near a colour, then keeps the screen as <name> and lists it in the README under its
# caption: snap <name> <caption> x y w h rgb n.
list=""
snap() {
    local name=$1 caption=$2 x=$3 y=$4 w=$5 h=$6 rgb=$7 n=$8
    shows() { (($(count_near_scaled "$1" "$x" "$y" "$w" "$h" "$rgb") > n)); }
    poll_shot "$name" 10 shows || fail "$name did not show"
    mkdir -p "$out"
    convert "$WORK/$name.png" -resize 50% -strip -define png:exclude-chunks=date,time "$out/$name.png"
    list+="**$caption**"$'\n\n'"![$caption](docs/screenshots/$name.png)"$'\n\n'
}

# A screen opened from the menu item at <top>, its centred panel (pw x ph) waited for by its
# yellow, then Escape back: from_menu <name> <caption> <top> <pw> <ph>.
from_menu() {
    click_at 46 "$3" 0 0 545 297
    local px py
    read -r px py < <(panel_origin "$4" "$5")
    snap "$1" "$2" "$px" "$py" "$4" "$5" "255,255,0" 300
    key Escape
}

start_x
start_game
read -r mx my < <(panel_origin 545 297)

# The title in yellow.
snap menu "Main menu" $((mx + 216)) $((my + 32)) 305 177 "255,255,0" 500
key Return
read -r lx ly < <(panel_origin 337 257)
key a n n a
snap login "Login" "$lx" "$ly" 337 257 "255,255,255" 200
key Return 1 2 Return
expect_ini "1" Usr_Num

# A game at Professional, a few seconds into play: the board's green and the worms out; then a
# death match just begun.
key Return
read -r bx by < <(board_origin)
sleep 3
snap game "Single game" "$bx" "$by" 436 436 "0,128,0" 20000
key Escape
click_at 46 77 0 0 545 297
sleep 2
snap death_match "Death Match" "$bx" "$by" 436 436 "0,128,0" 20000
key Escape
from_menu statistics "Statistics" 149 577 449
from_menu settings "Settings" 112 561 529
from_menu controls "Controls" 189 529 465
# The keyboard's focus: on the menu's Settings (New Game, Death Match, Settings), then on the
# settings screen's first Custom value (Professional, Master, Custom, and Tab).
key Down Down Down
snap menu_focus "Main menu, Settings focused" $((mx + 72)) $((my + 101)) 120 26 "255,255,0" 300
key Return Down Down Tab
read -r sx sy < <(panel_origin 561 529)
snap settings_focus "Settings, a Custom value focused by the keyboard" $((sx + 428)) $((sy + 400)) 36 28 "255,255,0" 30
key Escape
key Escape

# Between the two markers the README lists what was taken; the rest of the README is untouched.
begin='<!-- screenshots: begin -->'
end='<!-- screenshots: end -->'
table="$list" awk -v begin="$begin" -v end="$end" '
    $0 == begin { print; printf "\n%s", ENVIRON["table"]; skip = 1; next }
    $0 == end { skip = 0 }
    !skip { print }
' README.md >README.md.new
mv README.md.new README.md
echo "Screenshots in $out"
