#!/usr/bin/env bash
# A whole session of the game built with AddressSanitizer and UndefinedBehaviorSanitizer: menu,
# login, two games, a death match, the settings, controls and statistics screens, and Escape; on a
# 1920 x 1080 screen at the scale the game chooses there, so that the scaled drawing is checked too.
# Any sanitizer report fails it, and so does a leak at exit whose allocation passed through the
# game's own code. Leaks wholly inside system libraries (caches of fontconfig and D-Bus, modules
# that Xlib and SDL_mixer load and unload again, so that their frames cannot even be named) are
# not ours to fix and are left out.
source "$(dirname "$0")/lib.sh"

# Leaks do not change the exit status; the report is read below.
export ASAN_OPTIONS="detect_leaks=1:exitcode=0"
export LSAN_OPTIONS="suppressions=${LSAN_SUPPRESSIONS}:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

SCREEN_W=1920
SCREEN_H=1080
SCALE=1.75
start_x
# The sanitized build starts slowly on a loaded machine: up to a minute for its window.
"$ZORBEL_BIN" 2>"$WORK/stderr.txt" &
GAME_PID=$!
for _ in $(seq 600); do
    xdotool search --name '^Zorbel2$' >/dev/null 2>&1 && break
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game exited at start: $(cat "$WORK/stderr.txt")"
    sleep 0.1
done
xdotool search --name '^Zorbel2$' >/dev/null 2>&1 || fail "no game window"
sleep 1
read -r mx my < <(panel_origin 545 297)

# Clicks a logical point of the screen where the game draws it.
click() {
    xdotool mousemove "$(phys "$1")" "$(phys "$2")" click 1
    sleep 0.6
}
alive() {
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during $1: $(tail -n 30 "$WORK/stderr.txt")"
}

# Login of a new user.
key Return
sleep 0.5
key a n n a Return 1 2 Return
sleep 0.8
alive login

# Two games, each ended by running up into the wall (Up again and again, since a key pressed
# before a game starts does nothing); a statistics screen that a changed table shows is closed
# with Enter, which a running game ignores.
key Return
recorded=0
for _ in $(seq 120); do
    key Up
    sleep 0.35
    now=$(ini_value games31 2>/dev/null || true)
    if [[ -n "$now" && "$now" != "$recorded" ]]; then
        recorded=$now
        sleep 0.6
        key Return
    fi
    [[ "$recorded" == "2" ]] && break
    alive "the games"
done
key Escape
sleep 0.8
[[ "$(ini_value games31)" == "2" ]] || fail "two games not recorded: games31 is '$(ini_value games31)'"

# A death match with a bout lost into the wall.
click $((mx + 46)) $((my + 77))
sleep 1
key Left
sleep 3
key Escape
sleep 0.8
alive "the death match"

# Settings, controls and statistics, each opened by a click and closed with Escape.
for top in 99 176 136; do
    click $((mx + 46)) $((my + top + 13))
    key Escape
    sleep 0.5
    alive "the screen at row $top"
done

key Escape
# Waited for in this shell, not in a command substitution, which is not the game's parent: the
# sanitizer's leak check makes the exit slow enough for that to matter.
for _ in $(seq 300); do
    kill -0 "$GAME_PID" 2>/dev/null || break
    sleep 0.1
done
rc=0
wait "$GAME_PID" || rc=$?
GAME_PID=""
if grep -Eq "ERROR: AddressSanitizer|runtime error:" "$WORK/stderr.txt"; then
    fail "sanitizer report: $(grep -E -A20 "ERROR: AddressSanitizer|runtime error:" "$WORK/stderr.txt" | head -n 40)"
fi
# Each leak's stack runs from its "leak of" line to the next blank line.
ours=$(awk -v bin="$(basename "$ZORBEL_BIN")" -v src="$(cd "$(dirname "$0")/../.." && pwd)/src/" '
    /leak of/ { stack = $0; inleak = 1; next }
    inleak && NF == 0 { if (mine) print stack; inleak = 0; mine = 0; next }
    inleak { stack = stack "\n" $0; if (index($0, src) || index($0, "/" bin "+")) mine = 1 }
    END { if (inleak && mine) print stack }' "$WORK/stderr.txt")
[[ -z "$ours" ]] || fail "the game leaks: $(echo -e "$ours" | head -n 40)"
echo "$(grep -c "leak of" "$WORK/stderr.txt" || true) leaks inside system libraries left out"
[[ "$rc" == "0" ]] || fail "exit status $rc: $(tail -n 20 "$WORK/stderr.txt")"
echo "sanitized session: ok"
