#!/usr/bin/env bash
# Start-up time to the first presented frame and CPU use while idle at the main menu, measured
# on the real game under Xvfb. Reports; never fails on the figures.
# Usage: bench/menu_idle.sh [path to zorbel2] [seconds idle]
set -euo pipefail
bin=${1:-build/zorbel2}
seconds=${2:-20}
work=$(mktemp -d)
trap 'kill $game $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
while [[ ! -s "$work/display" ]]; do sleep 0.02; done
export DISPLAY=":$(head -n1 "$work/display")" XDG_CONFIG_HOME="$work/config" SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

start=$(date +%s%N)
"$bin" &
game=$!
# The first frame is presented when the window is mapped with the menu on it: poll for the
# title's yellow in the middle of the screen.
while :; do
    if xdotool search --name '^Zorbel2$' >/dev/null 2>&1 &&
        import -window root -crop 320x180+580+390 "$work/s.png" 2>/dev/null &&
        [[ $(convert "$work/s.png" -fuzz 20% -fill white -opaque yellow -fill black +opaque white \
            -format '%[fx:mean>0.01]' info:) == 1 ]]; then
        break
    fi
done
ready=$(date +%s%N)
echo "start-up to the menu on screen: $(((ready - start) / 1000000)) ms (upper bound: includes polling)"

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$game/stat"; }
sleep 1
before=$(cpu)
sleep "$seconds"
after=$(cpu)
awk -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" \
    'BEGIN { printf "idle CPU at the menu over %d s: %.2f %% of a core\n", s, 100 * t / hz / s }'
echo "resident memory: $(awk '/VmRSS/ {print $2, $3}' "/proc/$game/status")"
