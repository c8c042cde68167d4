#!/usr/bin/env bash
# Zorbel II side by side with a peer game, GNOME Nibbles, under one Xvfb at 1280 x 1024: time to
# the first frame against the peer's time to a mapped window, CPU and resident memory in play (a
# death match with a key a second, a Master game), CPU at the main menu with music on and off, and
# the main thread's wake-ups a second there. Prints each figure, the ratio to the peer and the
# goal. Reports; never fails on the figures.
# The peer serves this comparison only and is no dependency of the game: apt-get install -y
# gnome-nibbles.
# Usage: bench/peer_compare.sh [path to zorbel2] [seconds per figure] [starts per program]
set -euo pipefail
bin=$(realpath "${1:-build/zorbel2}")
seconds=${2:-20}
starts=${3:-3}
watch=$(dirname "$bin")/bench/bench_start_watch
peer=/usr/games/gnome-nibbles
[[ -x "$peer" ]] || { echo "no peer: apt-get install -y gnome-nibbles" >&2; exit 1; }
[[ -x "$watch" ]] || { echo "no $watch: build with -DZORBEL_BUILD_BENCH=ON" >&2; exit 1; }

work=$(mktemp -d)
running=()
xvfb=""
keys=""
stop() { for p in "$@"; do kill "$p" 2>/dev/null || true; done; }
trap 'stop $keys "${running[@]}" $xvfb; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
while [[ ! -s "$work/display" ]]; do sleep 0.02; done
export DISPLAY=":$(head -n1 "$work/display")" XDG_CACHE_HOME="$work/cache"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss_mb() { awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$1/status"; }
# Context switches of the main thread: each is one time it went to sleep or was put aside.
switches() { awk '/ctxt_switches/ {n += $2} END {print n}' "/proc/$1/task/$1/status"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
# Presses the given keys in turn, one a second, until killed.
press_keys() {
    local i=0 all=("$@")
    while :; do
        xdotool key "${all[i % ${#all[@]}]}" 2>/dev/null || true
        i=$((i + 1))
        sleep 1
    done
}
# CPU of pid over the measuring time, in % of one core; pressing keys a second when given.
cpu_percent() {
    local pid=$1 a b
    shift
    keys=""
    if (($# > 0)); then
        press_keys "$@" >/dev/null &
        keys=$!
    fi
    a=$(cpu_ticks "$pid")
    sleep "$seconds"
    b=$(cpu_ticks "$pid")
    stop $keys
    keys=""
    awk -v t=$((b - a)) -v hz="$ticks" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }'
}
yellow_in() {
    import -window root -crop "$1" "$work/s.png" 2>/dev/null &&
        [[ $(convert "$work/s.png" -fuzz 20% -fill white -opaque yellow -fill black +opaque white \
            -format '%[fx:mean>0.01]' info:) == 1 ]]
}
wait_for() { for _ in $(seq 300); do "$@" && return 0; sleep 0.1; done; echo "timed out: $*" >&2; exit 1; }

# Zorbel II: each run with settings of its own; the menu's title is yellow in the screen's middle.
zorbel_start() {
    export XDG_CONFIG_HOME="$work/config$RANDOM"
    mkdir -p "$XDG_CONFIG_HOME/zorbel2"
    [[ -n "${1:-}" ]] && printf '%s\n' "$1" >"$XDG_CONFIG_HOME/zorbel2/Zorbel2.ini"
    # At scale 1, where the positions below are measured; the scale changes neither figure much.
    read -r z_map z_frame z_pid z_cpu < <("$watch" --region 580 390 320 180 -- "${zbin:-$bin}" --scale 1)
    running+=("$z_pid")
}
# The peer with its welcome page already seen, settings in a key file of the run's own.
peer_start() {
    local home="$work/peer$RANDOM"
    mkdir -p "$home/glib-2.0/settings"
    printf '[org/gnome/nibbles]\nfirst-run=false\nsound=false\n' >"$home/glib-2.0/settings/keyfile"
    read -r p_map _ p_pid _ < <(XDG_CONFIG_HOME="$home" GSETTINGS_BACKEND=keyfile "$watch" -- "$peer")
    running+=("$p_pid")
}

# The first start renders the music; the later ones loop it from the cache, as a player's do.
zorbel_start
first_frame=$z_frame
for _ in $(seq 600); do compgen -G "$XDG_CACHE_HOME/zorbel2/*.pcm" >/dev/null && break; sleep 0.1; done
sleep 0.5
stop "$z_pid"

z_frames=()
z_cpus=()
p_maps=()
for _ in $(seq "$starts"); do
    zorbel_start
    z_frames+=("$z_frame")
    z_cpus+=("$z_cpu")
    sleep 1
    stop "$z_pid"
    peer_start
    p_maps+=("$p_map")
    sleep 1
    stop "$p_pid"
done
z_start=$(median "${z_frames[@]}")
p_start=$(median "${p_maps[@]}")

# At the menu with the music on.
zorbel_start
sleep 2
threads=$(ls "/proc/$z_pid/task" | wc -l)
s0=$(switches "$z_pid")
menu_on=$(cpu_percent "$z_pid")
wakeups=$(awk -v n=$(($(switches "$z_pid") - s0)) -v s="$seconds" 'BEGIN { printf "%.2f", n / s }')
menu_rss=$(rss_mb "$z_pid")
stop "$z_pid"

# At the menu without a music file: the game copied beside its pictures only.
mkdir -p "$work/nomusic"
cp "$bin" "$(dirname "$bin")"/b?.bmp "$work/nomusic/"
zbin="$work/nomusic/zorbel2" zorbel_start
sleep 2
menu_off=$(cpu_percent "$z_pid")
stop "$z_pid"

# A death match from the menu's Death Match ball, a key a second.
zorbel_start
wait_for yellow_in 320x180+580+390
xdotool mousemove 413 440 click 1
wait_for yellow_in 220x45+527+231
xdotool mousemove 640 1019
sleep 1
dm_cpu=$(cpu_percent "$z_pid" Up Left Down Right)
dm_rss=$(rss_mb "$z_pid")
stop "$z_pid"

# A Master game after a login; the player's worm, given no key, stays alive on its start cell.
zorbel_start "$(printf '[Main]\nSkill=4')"
wait_for yellow_in 320x180+580+390
xdotool mousemove 640 1019
xdotool key --delay 60 Return a n n a Return 1 2 Return
sleep 1
xdotool key Return
wait_for yellow_in 220x45+527+231
sleep 1
master_cpu=$(cpu_percent "$z_pid")
master_rss=$(rss_mb "$z_pid")
stop "$z_pid"

# The peer: idle on its first page, then two human players (and its computer worms) in play.
peer_start
sleep 2
peer_menu=$(cpu_percent "$p_pid")
xdotool mousemove 310 340 click 1
sleep 0.5
for _ in 1 2 3; do
    xdotool mousemove 368 638 click 1
    sleep 1.5
done
peer_cpu=$(cpu_percent "$p_pid" Up w Left a Down s Right d)
peer_rss=$(rss_mb "$p_pid")
stop "$p_pid"

row() { printf '%-46s %10s %10s %7s   %s\n' "$@"; }
row "figure" "Zorbel II" "peer" "ratio" "goal"
row "start to first frame / mapped window, ms" "$z_start" "$p_start" "$(ratio "$z_start" "$p_start")" "<= 0.33"
row "CPU during a death match, a key a second, %" "$dm_cpu" "$peer_cpu" "$(ratio "$dm_cpu" "$peer_cpu")" "<= 0.20"
row "CPU during a Master game, %" "$master_cpu" "$peer_cpu" "$(ratio "$master_cpu" "$peer_cpu")" "<= 0.20"
row "resident memory in a death match, MB" "$dm_rss" "$peer_rss" "$(ratio "$dm_rss" "$peer_rss")" "<= 0.25"
row "resident memory in a Master game, MB" "$master_rss" "$peer_rss" "$(ratio "$master_rss" "$peer_rss")" "<= 0.25"
row "CPU at the main menu, music on, %" "$menu_on" "$peer_menu" "-" "<= 0.5"
row "CPU at the main menu, music off, %" "$menu_off" "$peer_menu" "-" "<= 0.1"
row "main thread wake-ups a second at the menu" "$wakeups" "" "" "<= 1"
echo "threads at the menu: $threads; resident memory there: $menu_rss MB"
echo "start to first frame, ms: ${z_frames[*]} (CPU used by then, ms: ${z_cpus[*]});" \
    "peer to mapped window, ms: ${p_maps[*]}"
echo "first start, the music not yet rendered: first frame after $first_frame ms"
