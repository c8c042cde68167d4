#!/usr/bin/env bash
# CPU use of the real game watching a replay at x8, the music playing, under Xvfb (1920 x 1080 unless given, at the
# scale the game chooses), in % of one core: each second's figure and their mean. The replay is
# given on the command line; Right three times brings it from x1 to x8. The measuring time stays
# inside the replay (master-long.zr2 plays some 11 s at x8); after its end only the music costs. Reports; never
# fails on the figures. The machine's load is printed: on a busy machine the figures are noisier.
# Usage: bench/replay_cpu.sh [path to zorbel2] [replay file] [seconds] [size]
set -euo pipefail
bin=$(realpath "${1:-build/zorbel2}")
replay=$(realpath "${2:-tests/data/master-long.zr2}")
seconds=${3:-8}
size=${4:-1920x1080}
work=$(mktemp -d)
game=""
xvfb=""
trap 'kill $game $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache"
unset WAYLAND_DISPLAY
mkdir -p "$XDG_CONFIG_HOME/zorbel2"

Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb=$!
while [[ ! -s "$work/display" ]]; do sleep 0.02; done
export DISPLAY=":$(head -n1 "$work/display")"
# The first start renders the music into the cache; the measured one loops it from there, as a
# player's later starts do.
"$bin" &
game=$!
for _ in $(seq 600); do compgen -G "$XDG_CACHE_HOME/zorbel2/*.pcm" >/dev/null && break; sleep 0.1; done
kill "$game"
wait "$game" 2>/dev/null || true
"$bin" --replay "$replay" &
game=$!
for _ in $(seq 300); do xdotool search --name '^Zorbel2$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 1
xdotool key --delay 100 Right Right Right
sleep 0.5

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$game/stat"; }
samples=()
for _ in $(seq "$seconds"); do
    a=$(cpu)
    sleep 1
    samples+=($(awk -v t=$(($(cpu) - a)) -v hz="$ticks" 'BEGIN { printf "%.1f", 100 * t / hz }'))
done
echo "$size, load $(cut -d' ' -f1-3 /proc/loadavg): each second, % of a core: ${samples[*]}"
printf '%s\n' "${samples[@]}" | awk '{ n++; s += $1 } END { printf "mean: %.2f %% of a core over %d s\n", s / n, n }'
