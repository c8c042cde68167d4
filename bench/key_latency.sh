#!/usr/bin/env bash
# Input to presented frame inside the real game, under Xvfb at 1280 x 1024, 1920 x 1080 and
# 3840 x 2160 (each at the scale the game chooses): opening and closing the login screen (Space,
# Esc at the menu), the settings and the statistics screens (a click on the menu's ball, Esc).
# The game logs each frame that answers an input (ZORBEL_FRAME_LOG): the time from the input
# event's timestamp to the present's return and where it went. Prints the median and the 99th
# percentile (the largest below 100 samples) of each change, the median of each part, and per
# size the first frame and the resident memory at the menu. Reports; never fails on the figures.
# The machine's load is printed with each size: on a busy machine the figures are noisier.
# With --wayland the game runs on SDL's Wayland driver in Weston (its X11 back end, one output
# filling the X screen but for a strip on the right) and presents through SDL's renderer, whose
# texture upload is timed as "upload": at 1920 x 1080 and 3840 x 2160 at output scale 1, and
# 3840 x 2160 at output scale 2 ("3840x2160@2": a 4K laptop's), the game drawing at the output's
# physical pixels each time.
# Usage: bench/key_latency.sh [--wayland] [path to zorbel2] [rounds, default 25] [sizes...]
set -euo pipefail
wayland=0
[[ "${1:-}" == "--wayland" ]] && { wayland=1; shift; }
bin=$(realpath "${1:-build/zorbel2}")
rounds=${2:-25}
shift $(($# > 2 ? 2 : $#))
sizes=("$@")
if ((wayland)); then
    ((${#sizes[@]})) || sizes=(1920x1080 3840x2160 3840x2160@2)
else
    ((${#sizes[@]})) || sizes=(1280x1024 1920x1080 3840x2160)
fi
watch=$(dirname "$bin")/bench/bench_start_watch
[[ -x "$watch" ]] || { echo "no $watch: build with -DZORBEL_BUILD_BENCH=ON" >&2; exit 1; }
work=$(mktemp -d)
game=""
xvfb=""
weston=""
trap 'kill $game $weston $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
unset WAYLAND_DISPLAY
# Weston's X11 back end follows its pointer by relative motion from where the pointer came into
# its window: each click comes in from this strip right of the output, at its own place.
margin=$((wayland ? 32 : 0))

# Runs the input command and waits for the frame that answers an input of that kind ("key",
# "up"); the frame's line goes to the results under the label.
act() {
    local label=$1 kind=$2 before line
    shift 2
    before=$(wc -l <"$log")
    "$@"
    for _ in $(seq 500); do
        line=$(tail -n +"$((before + 1))" "$log" | grep -m1 "^input $kind " || true)
        [[ -n "$line" ]] && break
        sleep 0.01
    done
    if [[ -z "$line" ]]; then
        echo "$size $label: no frame" >&2
        kill -0 "$game" 2>/dev/null || { echo "$size: the game has ended: $(tail -n 5 "$work/stderr.txt")" >&2; gone=1; }
        return 1
    fi
    echo "$size $label $line" >>"$work/results"
    # What follows the frame (a caret's blink, the pointer's move) settles before the next input.
    sleep 0.25
}

# The physical centre of a menu ball at logical (x, y) in the centred 545 x 297 menu panel.
ball() {
    awk -v w="$w" -v h="$h" -v s="$scale" -v x="$1" -v y="$2" 'BEGIN {
        lw = int(w / s); if (lw < w / s) lw++; lh = int(h / s); if (lh < h / s) lh++
        left = int((lw - 545) / 2); top = int((lh - 297) / 2)
        printf "%d %d\n", int((left + x + 14) * s + 0.5), int((top + y + 13) * s + 0.5) }'
}

: >"$work/results"
export XDG_CACHE_HOME="$work/cache"
# Weston on the X screen: one output of w x h physical pixels at output scale $output, its own
# seat (the X server's keyboard and pointer), a black background and no panel, so that the first
# frame is the first thing but black in the output's middle. Its socket: zorbel-bench.
start_weston() {
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
    printf '[shell]\nanimation=none\nstartup-animation=none\nclose-animation=none\n%s\n%s\n' \
        background-color=0xff000000 panel-position=none >"$work/weston.ini"
    rm -f "$XDG_RUNTIME_DIR/zorbel-bench"
    weston --config="$work/weston.ini" --backend=x11-backend.so --use-pixman --idle-time=0 \
        --width=$((w / output)) --height=$((h / output)) --scale="$output" \
        --socket=zorbel-bench >"$work/weston.txt" 2>&1 &
    weston=$!
    for _ in $(seq 300); do
        [[ -S "$XDG_RUNTIME_DIR/zorbel-bench" ]] && grep -q 'desktop-shell' "$work/weston.txt" && return 0
        kill -0 "$weston" 2>/dev/null || break
        sleep 0.05
    done
    echo "weston did not start: $(cat "$work/weston.txt")" >&2
    exit 1
}

# Starts Xvfb at $size (and on it Weston) and the game, logging to $log; sets first (ms to the
# first frame).
start_game() {
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "$((w + margin))x${h}x24" -nolisten tcp -noreset \
        3>"$work/display" 2>/dev/null &
    xvfb=$!
    while [[ ! -s "$work/display" ]]; do sleep 0.02; done
    export DISPLAY=":$(head -n1 "$work/display")" XDG_CONFIG_HOME="$work/config"
    rm -rf "$XDG_CONFIG_HOME"
    mkdir -p "$XDG_CONFIG_HOME/zorbel2"
    : >"$log"
    local run=("$bin") nested=()
    if ((wayland)); then
        start_weston
        # The game has no way to the X server: only the compositor.
        run=(env -u DISPLAY SDL_VIDEODRIVER=wayland WAYLAND_DISPLAY=zorbel-bench "$bin")
        nested=(--nested)
    fi
    # The game's standard error is kept, to say why it ended should it end.
    read -r _ first game _ < <(ZORBEL_FRAME_LOG="$log" "$watch" "${nested[@]}" \
        --region "$((w / 4))" "$((h / 4))" "$((w / 2))" "$((h / 2))" -- \
        sh -c 'exec "$@" 2>"$0"' "$work/stderr.txt" "${run[@]}")
}
stop_game() {
    if [[ -n "$weston" ]]; then
        # The game leaves before its compositor, which leaves before its X server.
        kill "$game" 2>/dev/null || true
        for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.02; done
        { kill "$weston" && wait "$weston"; } 2>/dev/null || true
    fi
    kill "$game" "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    game=""
    weston=""
    xvfb=""
}

# The first start renders the music into the cache; the measured ones loop it from there, as a
# player's later starts do, so that the memory at the menu is not caught mid-rendering.
# A size: "<w>x<h>" or, on Wayland, "<w>x<h>@<output scale>"; sets w, h and output.
parse_size() {
    output=1
    [[ "$1" == *@* ]] && output=${1#*@}
    w=${1%%x*}
    h=${1#*x}
    h=${h%@*}
}
size=${sizes[0]}
parse_size "$size"
log="$work/warm-up.txt"
start_game
for _ in $(seq 600); do compgen -G "$XDG_CACHE_HOME/zorbel2/*.pcm" >/dev/null && break; sleep 0.1; done
stop_game

printf '%-10s %5s %12s %14s   %s\n' screen scale "first frame" "menu memory" "load average"
for size in "${sizes[@]}"; do
    parse_size "$size"
    scale=$(awk -v w="$w" -v h="$h" 'BEGIN { s = 1; for (t = 1.25; t <= 8; t += 0.25) if (w / t >= 800 && h / t >= 600) s = t; print s }')
    log="$work/frames-$size.txt"
    start_game
    sleep 2
    rss=$(awk '/VmRSS/ {print $2}' "/proc/$game/status")
    printf '%-10s %5s %9s ms %11s kB   %s\n' "$size" "$scale" "$first" "$rss" "$(cut -d' ' -f1-3 /proc/loadavg)"
    # The pointer rests at the bottom edge, over nothing, between clicks.
    # Under Weston the keys go to the X window under the pointer: the rest is inside the output.
    rest() { xdotool mousemove "$((w / 2))" "$((h - 2))"; }
    click() {
        ((margin == 0)) || xdotool mousemove --sync "$((w + margin / 2))" "$((h / 2))"
        xdotool mousemove "$1" "$2" click 1
    }
    rest
    read -r sx sy < <(ball 32 99)
    read -r tx ty < <(ball 32 136)
    # A screen that did not open is not closed: Esc at the menu would end the game, and every
    # round after it would wait in vain.
    gone=0
    for _ in $(seq "$rounds"); do
        ((gone == 0)) || break
        if act "login-open" key xdotool key space; then
            act "login-close" key xdotool key Escape || true
        fi
        if act "settings-open" up click "$sx" "$sy"; then
            rest
            act "settings-close" key xdotool key Escape || true
        fi
        rest
        if act "statistics-open" up click "$tx" "$ty"; then
            rest
            act "statistics-close" key xdotool key Escape || true
        fi
        rest
    done
    stop_game
done
echo "(first frame: start to the menu's first pixels on the X screen; load: 1, 5, 15 minutes)"
echo
echo "input to presented, ms: median and 99th percentile; median of each part, ms (pixels: millions presented)"
# Each results line: size label "input" kind "total" t "queued" q, then name/value pairs (us).
awk '
function sorted_at(list, n, q,    a, i, j, k, t) {
    k = split(list, a, " ")
    for (i = 2; i <= k; i++) {
        t = a[i] + 0
        for (j = i - 1; j >= 1 && a[j] + 0 > t; j--) a[j + 1] = a[j]
        a[j + 1] = t
    }
    i = int(q * k + 0.999999); if (i < 1) i = 1; if (i > k) i = k
    return a[i]
}
{
    key = $1 " " $2
    if (!(key in seen)) { seen[key] = 1; order[++n] = key }
    for (i = 5; i < NF; i += 2) values[key, $i] = values[key, $i] " " $(i + 1)
    all[$1] = all[$1] " " $6
    if (!($1 in sizeseen)) { sizeseen[$1] = 1; sizes[++m] = $1 }
    names = ""
    for (i = 7; i < NF; i += 2) names = names " " $i
}
END {
    split(substr(names, 2), part, " ")
    printf "%-10s %-17s %7s %7s", "screen", "change", "median", "p99"
    for (p = 1; p in part; p++) printf " %9s", part[p]
    printf "\n"
    for (j = 1; j <= n; j++) {
        key = order[j]
        printf "%-10s %-17s %7.2f %7.2f", substr(key, 1, index(key, " ") - 1),
            substr(key, index(key, " ") + 1), sorted_at(values[key, "total"], 0, 0.5) / 1000,
            sorted_at(values[key, "total"], 0, 0.99) / 1000
        for (p = 1; p in part; p++) {
            v = sorted_at(values[key, part[p]], 0, 0.5)
            printf " %9.2f", part[p] == "rects" || part[p] == "queued" ? v : v / (part[p] == "pixels" ? 1e6 : 1000)
        }
        printf "\n"
    }
    for (j = 1; j <= m; j++)
        printf "%-10s %-17s %7.2f %7.2f\n", sizes[j], "every change", sorted_at(all[sizes[j]], 0, 0.5) / 1000,
            sorted_at(all[sizes[j]], 0, 0.99) / 1000
}' "$work/results"
