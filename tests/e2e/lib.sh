# Helpers of the end-to-end tests: a private X server, the game in it, keys, screenshots, pixels.
set -euo pipefail

WORK=$(mktemp -d)
XVFB_PID=""
GAME_PID=""
SCREEN_W=1280
SCREEN_H=1024
export XDG_CONFIG_HOME="$WORK/config"
export SDL_AUDIODRIVER=dummy
INI="$XDG_CONFIG_HOME/zorbel2/Zorbel2.ini"

cleanup() {
    [[ -n "$GAME_PID" ]] && kill "$GAME_PID" 2>/dev/null || true
    [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

start_x() {
    Xvfb -displayfd 3 -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp 3>"$WORK/display" \
        2>/dev/null &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [[ -s "$WORK/display" ]] && break
        sleep 0.05
    done
    [[ -s "$WORK/display" ]] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$WORK/display")"
}

# Starts the game and waits until its window is mapped.
start_game() {
    "$ZORBEL_BIN" 2>"$WORK/stderr.txt" &
    GAME_PID=$!
    for _ in $(seq 200); do
        if xdotool search --name '^Zorbel2$' >/dev/null 2>&1; then
            sleep 0.5
            xdotool mousemove $((SCREEN_W / 2)) $((SCREEN_H - 5))
            return 0
        fi
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game exited at start: $(cat "$WORK/stderr.txt")"
        sleep 0.05
    done
    fail "no game window"
}

key() {
    xdotool key --delay 60 "$@"
    sleep 0.15
}

# Screenshot of the whole screen into $WORK/<name>.png, kept under $ZORBEL_SHOTS too.
shot() {
    sleep "${2:-0.3}"
    import -window root "$WORK/$1.png"
    if [[ -n "${ZORBEL_SHOTS:-}" ]]; then
        mkdir -p "$ZORBEL_SHOTS"
        cp "$WORK/$1.png" "$ZORBEL_SHOTS/$1.png"
    fi
}

# "r,g,b" of one pixel of a screenshot.
pixel() {
    convert "$WORK/$1.png" -crop "1x1+$2+$3" +repage -format '%[fx:round(255*r)],%[fx:round(255*g)],%[fx:round(255*b)]' info:
}

# Number of pixels in a region (x y w h) whose colour lies near r,g,b.
count_near() {
    local img=$1 x=$2 y=$3 w=$4 h=$5 rgb=$6
    # Everything away from the colour turns to a marker colour, then near ones white, rest black.
    convert "$WORK/$img.png" -crop "${w}x${h}+${x}+${y}" +repage -fuzz 20% \
        -fill "rgb(1,2,3)" +opaque "rgb($rgb)" -fill white -opaque "rgb($rgb)" \
        -fill black -opaque "rgb(1,2,3)" -colorspace gray -format '%[fx:round(mean*w*h)]' info:
}

# Waits for the game to end; prints its exit status.
wait_exit() {
    for _ in $(seq "${1:-100}"); do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            local rc=0
            wait "$GAME_PID" || rc=$?
            GAME_PID=""
            echo "$rc"
            return 0
        fi
        sleep 0.1
    done
    echo "running"
}

# The value of a key in the settings file (first match, any section).
ini_value() {
    grep -i "^$1=" "$INI" | head -n1 | cut -d= -f2- | tr -d '\r'
}

# Top-left of a screen's centred panel.
panel_origin() {
    echo $(((SCREEN_W - $1) / 2)) $(((SCREEN_H - $2) / 2))
}
