#!/usr/bin/env bash
# The game on Wayland: Weston's X11 back end fills the test's X screen but a margin with one
# output, and the game runs on SDL's Wayland driver with no X display of its own. At output scale
# 1 and at 2 the menu shows drawn at the output's physical pixels (the same picture both times,
# not a half-size one magnified by the compositor); a click on the Death Match ball starts a
# bout; Esc and Esc end the program.
source "$(dirname "$0")/lib.sh"
GAME_ARGS=()
SCALE=1.5 # what the game chooses for 1280 x 1024 physical pixels
SOCKET=zorbel-wayland
# Weston's X11 back end takes the pointer's place from the X event that brings the pointer into
# its window, and follows it from there by relative motion: whatever put the compositor's pointer
# elsewhere than the X one (a place learnt wrong or not at all, a client that confined the
# pointer) lasts until the pointer comes in again. With room beside the output, each click comes
# into the window from outside at its own place (click_at), whatever the pointer did before.
SCREEN_MARGIN=32
WESTON_PID=""

stop_weston() {
    [[ -z "$WESTON_PID" ]] || { kill "$WESTON_PID" && wait "$WESTON_PID"; } 2>/dev/null || true
    WESTON_PID=""
}
trap 'stop_weston; cleanup' EXIT

# Weston with one output of the X screen less its margin at the given scale, and a seat of its
# own: the X server's keyboard and pointer. It runs as whoever runs the tests, root included,
# given a private runtime folder.
start_weston() {
    local scale=$1
    export XDG_RUNTIME_DIR="$WORK/runtime"
    mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
    # No fade-in: a window being faded in would be read with its colours dimmed.
    printf '[shell]\nanimation=none\nstartup-animation=none\nclose-animation=none\n' \
        >"$WORK/weston.ini"
    weston --config="$WORK/weston.ini" --backend=x11-backend.so --use-pixman --idle-time=0 \
        --width=$((SCREEN_W / scale)) --height=$((SCREEN_H / scale)) --scale="$scale" \
        --socket="$SOCKET" >"$WORK/weston.txt" 2>&1 &
    WESTON_PID=$!
    for _ in $(seq 300); do
        [[ -S "$XDG_RUNTIME_DIR/$SOCKET" ]] && grep -q 'desktop-shell' "$WORK/weston.txt" && return 0
        kill -0 "$WESTON_PID" 2>/dev/null || break
        sleep 0.05
    done
    fail "weston did not start: $(cat "$WORK/weston.txt")"
}

read -r mx my < <(panel_origin 545 297)
menu_shown() { (($(count_near_scaled "$1" $((mx + 216)) $((my + 32)) 305 177 "255,255,0") > 3000)); }
# The menu shown and the same in two screenshots running: painted to its end.
menu_steady() {
    menu_shown "$1" || return 1
    [[ -f "$WORK/$1.prev.png" ]] &&
        [[ "$(compare -metric AE "$WORK/$1.prev.png" "$WORK/$1.png" null: 2>&1)" == "0" ]] && return 0
    cp "$WORK/$1.png" "$WORK/$1.prev.png"
    return 1
}

# The game on the compositor, with no way to the X server; its menu read from the X screen.
start_wayland_game() {
    launch_game -u DISPLAY SDL_VIDEODRIVER=wayland WAYLAND_DISPLAY="$SOCKET"
    poll_shot "$1" 30 menu_steady ||
        fail "no menu on Wayland (exit: $(wait_exit 1)): $(cat "$WORK/stderr.txt")"
}

# Status 0; the graphics stack may say things on standard error (libdecor without plugins).
expect_exit() {
    [[ "$(wait_exit 100)" == "0" ]] || fail "the game did not end well: $(cat "$WORK/stderr.txt")"
}

start_x
# The pointer in the output's corner, where the compositor's cursor covers nothing of the menu, and
# inside Weston's window: with no window manager, X sends the keys to the window under the pointer.
xdotool mousemove $((SCREEN_W - 1)) $((SCREEN_H - 1))

start_weston 1
start_wayland_game wayland_menu1
key Escape
expect_exit
stop_weston

start_weston 2
start_wayland_game wayland_menu2
# Drawn at the physical pixels, the menu is the picture of scale 1; a half-size menu magnified
# would differ in most of its pixels.
differ=$(compare -metric AE -fuzz 10% "$WORK/wayland_menu1.png" "$WORK/wayland_menu2.png" null: 2>&1 || true)
((differ < 2000)) || fail "the menu at output scale 2 is not the one at scale 1: $differ pixels differ"

# The mouse maps through the output's scale: the Death Match ball starts a bout.
click_at 32 64 28 27 545 297
read -r bx by < <(board_origin)
board_shown() { (($(count_near_scaled "$1" "$bx" "$by" 436 436 "0,128,0") > 200000)); }
poll_shot wayland_board 15 board_shown || fail "no death match began on a click at output scale 2"
key Escape
poll_shot wayland_menu_again 10 menu_shown || fail "Esc did not bring the menu back"
key Escape
expect_exit
echo "wayland: ok"
