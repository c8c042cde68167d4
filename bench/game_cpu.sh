#!/usr/bin/env bash
# Start-up time to the first frame, CPU use and resident memory of the real game while a
# Master-level single game runs, under Xvfb at 1280 x 1024, 1920 x 1080 and 3840 x 2160 in one
# run, each with the scale the game chooses for it and the music playing. Eight computer worms
# crawl every 80 ms while the player's worm, given no key, stays on its start cell (it cannot die
# standing still, so the one game runs the whole time). Reports; never fails on the figures.
# Usage: bench/game_cpu.sh [path to zorbel2] [seconds of play per size] [sizes...]
set -euo pipefail
bin=${1:-build/zorbel2}
seconds=${2:-20}
shift $(($# > 2 ? 2 : $#))
sizes=("$@")
((${#sizes[@]})) || sizes=(1280x1024 1920x1080 3840x2160)
work=$(mktemp -d)
game=""
xvfb=""
trap 'kill $game $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
ticks=$(getconf CLK_TCK)

# Yellow pixels in the middle of the screen: the menu's title.
title_on() {
    import -window root -crop "$((w / 2))x$((h / 2))+$((w / 4))+$((h / 4))" "$work/s.png" 2>/dev/null &&
        [[ $(convert "$work/s.png" -fuzz 20% -fill white -opaque yellow -fill black +opaque white \
            -format '%[fx:mean>0.005]' info:) == 1 ]]
}

printf '%-10s %6s %14s %12s %16s\n' screen scale "first frame" "CPU (core)" "resident memory"
for size in "${sizes[@]}"; do
    w=${size%x*}
    h=${size#*x}
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb=$!
    while [[ ! -s "$work/display" ]]; do sleep 0.02; done
    export DISPLAY=":$(head -n1 "$work/display")" XDG_CONFIG_HOME="$work/config"
    export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
    rm -rf "$XDG_CONFIG_HOME"
    mkdir -p "$XDG_CONFIG_HOME/zorbel2"
    printf '[Main]\nSkill=4\n' >"$XDG_CONFIG_HOME/zorbel2/Zorbel2.ini"

    start=$(date +%s%N)
    "$bin" &
    game=$!
    # A game that never shows its menu (SDL found no X server in time) is reported, not waited for.
    until xdotool search --name '^Zorbel2$' >/dev/null 2>&1 && title_on; do
        (($(date +%s%N) - start < 60000000000)) && kill -0 "$game" 2>/dev/null && continue
        echo "$size: no menu within a minute"
        kill "$game" "$xvfb" 2>/dev/null || true
        wait "$game" "$xvfb" 2>/dev/null || true
        continue 2
    done
    first=$((($(date +%s%N) - start) / 1000000))
    xdotool mousemove "$((w / 2))" "$((h - 3))"
    # Register a player on the login screen, then New Game with Enter.
    xdotool key --delay 60 Return a n n a Return 1 2 Return
    sleep 1
    xdotool key Return
    while title_on; do sleep 0.1; done
    sleep 2

    cpu() { awk '{print $14 + $15}' "/proc/$game/stat"; }
    before=$(cpu)
    sleep "$seconds"
    after=$(cpu)
    scale=$(awk -v w="$w" -v h="$h" 'BEGIN { s = 1; for (t = 1.25; t <= 8; t += 0.25) if (w / t >= 800 && h / t >= 600) s = t; print s }')
    printf '%-10s %6s %11d ms %10.2f %% %13s kB\n' "$size" "$scale" "$first" \
        "$(awk -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" 'BEGIN { print 100 * t / hz / s }')" \
        "$(awk '/VmRSS/ {print $2}' "/proc/$game/status")"
    kill "$game" "$xvfb" 2>/dev/null || true
    wait "$game" "$xvfb" 2>/dev/null || true
    game=""
    xvfb=""
done
echo "(first frame: from the start to the menu on screen, an upper bound as it includes polling)"
