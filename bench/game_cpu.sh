#!/usr/bin/env bash
# CPU use and resident memory of the real game while a Master-level single game runs, under Xvfb:
# eight computer worms crawl every 80 ms while the player's worm, given no key, stays on its start
# cell (it cannot die standing still, so the one game runs the whole time). Reports; never fails
# on the figures.
# Usage: bench/game_cpu.sh [path to zorbel2] [seconds of play]
set -euo pipefail
bin=${1:-build/zorbel2}
seconds=${2:-20}
work=$(mktemp -d)
game=""
xvfb=""
trap 'kill $game $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
while [[ ! -s "$work/display" ]]; do sleep 0.02; done
export DISPLAY=":$(head -n1 "$work/display")" XDG_CONFIG_HOME="$work/config" SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
mkdir -p "$XDG_CONFIG_HOME/zorbel2"
printf '[Main]\nSkill=4\n' >"$XDG_CONFIG_HOME/zorbel2/Zorbel2.ini"

# Yellow pixels in a part of the screen: the menu's title, the game screen's title.
yellow_in() {
    import -window root -crop "$1" "$work/s.png" 2>/dev/null &&
        [[ $(convert "$work/s.png" -fuzz 20% -fill white -opaque yellow -fill black +opaque white \
            -format '%[fx:mean>0.01]' info:) == 1 ]]
}

"$bin" &
game=$!
until xdotool search --name '^Zorbel2$' >/dev/null 2>&1 && yellow_in 320x180+580+390; do
    sleep 0.1
done
xdotool mousemove 640 1019
# Register a player on the login screen, then New Game with Enter.
xdotool key --delay 60 Return a n n a Return 1 2 Return
sleep 1
xdotool key Return
# The game screen's title sits above the board.
until yellow_in 220x45+527+231; do sleep 0.1; done
sleep 1

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$game/stat"; }
before=$(cpu)
sleep "$seconds"
after=$(cpu)
awk -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" \
    'BEGIN { printf "CPU during a Master-level game over %d s: %.2f %% of a core\n", s, 100 * t / hz / s }'
echo "resident memory: $(awk '/VmRSS/ {print $2, $3}' "/proc/$game/status")" \
    "(peak $(awk '/VmHWM/ {print $2, $3}' "/proc/$game/status"))"
