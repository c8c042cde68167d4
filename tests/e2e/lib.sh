# Helpers of the end-to-end tests: a private X server, the game in it, keys, screenshots, pixels.
set -euo pipefail

WORK=$(mktemp -d)
XVFB_PID=""
GAME_PID=""
PULSE_PID=""
SCREEN_W=1280
SCREEN_H=1024
# Columns of the X screen right of the SCREEN_W x SCREEN_H that the game is given: room for the
# pointer outside a window that fills the rest.
SCREEN_MARGIN=0
# Logical pixels are physical ones unless a test sets GAME_ARGS=() and the SCALE the game chooses.
GAME_ARGS=(--scale 1)
SCALE=1
export XDG_CONFIG_HOME="$WORK/config"
# Every game played is kept as a replay there.
export XDG_DATA_HOME="$WORK/data"
REPLAYS="$XDG_DATA_HOME/zorbel2/replays"
# The rendered music (and fontconfig's and Mesa's caches) start empty in every test, as on a
# fresh machine, instead of being what an earlier run left in the home folder.
export XDG_CACHE_HOME="$WORK/cache"
# The game is shown on the test's own X server (or compositor), never on the desktop's.
unset WAYLAND_DISPLAY
export SDL_AUDIODRIVER=dummy
INI="$XDG_CONFIG_HOME/zorbel2/Zorbel2.ini"

cleanup() {
    if [[ -n "${BURST_PID:-}" ]]; then
        kill "$BURST_PID" 2>/dev/null || true
        wait "$BURST_PID" 2>/dev/null || true
    fi
    # A game held in a message box's loop does not answer SIGTERM.
    if [[ -n "$GAME_PID" ]] && kill "$GAME_PID" 2>/dev/null; then
        for _ in $(seq 20); do
            kill -0 "$GAME_PID" 2>/dev/null || break
            sleep 0.05
        done
        kill -KILL "$GAME_PID" 2>/dev/null || true
    fi
    # Nothing of the sound server is kept, so it need not shut down in order.
    if [[ -n "$PULSE_PID" ]] && kill -KILL "$PULSE_PID" 2>/dev/null; then
        wait "$PULSE_PID" 2>/dev/null || true
    fi
    # The server is waited for: one still shutting down removes its socket after the next
    # test's server has taken the same display number, and that server is then unreachable.
    if [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null; then
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    # A game that crashed leaves its core in $WORK (where the kernel writes cores into the
    # crashing process's folder): its threads' stacks say where.
    local core
    for core in "$WORK"/core*; do
        [[ -f "$core" ]] || continue
        gdb -batch -ex 'thread apply all bt 25' "$ZORBEL_BIN" "$core" 2>&1 | grep -E '^(Thread|#)' | head -120 >&2
    done
    exit 1
}

start_x() {
    local attempt
    for attempt in 1 2 3; do
        rm -f "$WORK/display"
        # -noreset: a server whose last client leaves resets, and drops whoever is connecting
        # meanwhile; between two programs (or a game and the polls for its window) that was a
        # game that found no display.
        Xvfb -displayfd 3 -screen 0 "$((SCREEN_W + SCREEN_MARGIN))x${SCREEN_H}x24" -nolisten tcp \
            -noreset 3>"$WORK/display" 2>"$WORK/xvfb.txt" &
        XVFB_PID=$!
        for _ in $(seq 200); do
            [[ -s "$WORK/display" ]] && break
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.05
        done
        if [[ -s "$WORK/display" ]]; then
            export DISPLAY=":$(head -n1 "$WORK/display")"
            # A server that named its display may still fail before it serves: only one that
            # answers is used.
            for _ in $(seq 100); do
                xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
                kill -0 "$XVFB_PID" 2>/dev/null || break
                sleep 0.05
            done
        fi
        echo "Xvfb attempt $attempt failed: $(cat "$WORK/xvfb.txt")" >&2
        kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=""
    done
    fail "Xvfb did not start"
}

# Starts the game in the background, its environment changed as env(1) takes it from the
# arguments. A watcher beside it keeps the game's exit status in $WORK/game.rc: only the game's
# parent can wait for it, and wait_exit runs in a command substitution's subshell, which is not
# that parent.
launch_game() {
    rm -f "$WORK/game.pid" "$WORK/game.rc"
    (
        cd "$WORK" && ulimit -c unlimited 2>/dev/null
        env "$@" "$ZORBEL_BIN" "${GAME_ARGS[@]}" 2>"$WORK/stderr.txt" &
        echo $! >"$WORK/game.pid"
        rc=0
        wait $! || rc=$?
        { echo "$rc" >"$WORK/game.rc"; } 2>/dev/null
    ) &
    for _ in $(seq 100); do
        [[ -s "$WORK/game.pid" ]] && break
        sleep 0.02
    done
    GAME_PID=$(cat "$WORK/game.pid")
}

# Starts the game and waits until its window is mapped.
start_game() {
    launch_game
    for _ in $(seq 200); do
        if xdotool search --name '^Zorbel2$' >/dev/null 2>&1; then
            # The window is there well before its first screen (or a message box) is drawn, and
            # input before that is lost.
            for _ in $(seq 100); do
                import -window root "$WORK/start.png"
                [[ $(convert "$WORK/start.png" -format '%[fx:mean > 0.0005]' info:) == 1 ]] && break
                sleep 0.1
            done
            xdotool mousemove $((SCREEN_W / 2)) $((SCREEN_H - 5))
            sleep 0.2
            return 0
        fi
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game exited at start: $(cat "$WORK/stderr.txt")"
        sleep 0.05
    done
    local server=alive
    kill -0 "$XVFB_PID" 2>/dev/null || server="gone: $(cat "$WORK/xvfb.txt")"
    fail "no game window for $ZORBEL_BIN on $DISPLAY (X server $server):" \
        "$(xdotool search --name . 2>/dev/null | wc -l) windows; $(cat "$WORK/stderr.txt")"
}

# A PulseAudio server of the test's own, run as the current user (root included: --system=false)
# with a home and runtime folder in $WORK, a null sink "zorbel" and no exit when idle; the game,
# pactl and parec reach it through PULSE_SERVER. A client whose server has gone never starts one
# of its own.
start_pulse() {
    local dir="$WORK/pulse"
    mkdir -p "$dir/home" "$dir/run"
    printf 'autospawn = no\n' >"$dir/client.conf"
    export PULSE_CLIENTCONFIG="$dir/client.conf" PULSE_SERVER="unix:$dir/run/native"
    (cd "$dir" && HOME="$dir/home" XDG_RUNTIME_DIR="$dir/run" DBUS_SESSION_BUS_ADDRESS=disabled: \
        exec pulseaudio --daemonize=no --system=false -n --exit-idle-time=-1 --use-pid-file=no \
        --load="module-null-sink sink_name=zorbel rate=44100" \
        --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/run/native" \
        --log-target=stderr 2>"$WORK/pulse.txt") &
    PULSE_PID=$!
    for _ in $(seq 400); do
        pactl info >/dev/null 2>&1 && break
        kill -0 "$PULSE_PID" 2>/dev/null || fail "pulseaudio did not start: $(cat "$WORK/pulse.txt")"
        sleep 0.05
    done
    pactl info >/dev/null 2>&1 || fail "pulseaudio does not answer: $(cat "$WORK/pulse.txt")"
    export SDL_AUDIODRIVER=pulseaudio
}

# The number of streams playing into the sound server: a client that holds its device open has one.
sink_inputs() {
    pactl list short sink-inputs 2>/dev/null | wc -l
}

key() {
    xdotool key --delay 60 "$@"
    sleep 0.15
}

# Screenshot of the whole screen into $WORK/<name>.png at once, kept under $ZORBEL_SHOTS too.
capture() {
    rm -f "$WORK/$1.cells"
    import -window root "$WORK/$1.png"
    keep_shot "$1"
}

# $WORK/<name>.png kept under $ZORBEL_SHOTS, where the screenshots of a failed run are looked at.
keep_shot() {
    if [[ -n "${ZORBEL_SHOTS:-}" ]]; then
        mkdir -p "$ZORBEL_SHOTS"
        cp "$WORK/$1.png" "$ZORBEL_SHOTS/$1.png"
    fi
}

# The same after a pause (0.3 s unless given) that lets the screen settle.
shot() {
    sleep "${2:-0.3}"
    capture "$1"
}

# Screenshots under one name until a check passes on one: poll_shot <name> <seconds> <command...>;
# the command gets the name as its last argument. Fails when the time runs out first.
poll_shot() {
    local name=$1 limit=$2
    shift 2
    local end=$((SECONDS + limit))
    while :; do
        capture "$name"
        "$@" "$name" && return 0
        ((SECONDS < end)) || return 1
        sleep 0.1
    done
}

# Screenshots of one region, as fast as the machine takes them, in the background: for a change
# that is over before a poll with its checks comes round on a loaded machine (a worm erased within
# a second). burst_start <name> <x> <y> <w> <h> until burst_stop <name>; the last 300 frames stay
# (some seconds of an idle machine's, a board's 170 MB at most).
# burst_find <name> <command...> then puts each frame, newest first, back on a black screen as
# <name>.png and succeeds at the first that the command passes.
burst_start() {
    local name=$1 geometry="$4x$5+$2+$3"
    echo "$2 $3" >"$WORK/$name.origin"
    (
        local i=0
        while [[ -d "$WORK" && ! -e "$WORK/$name.stop" ]]; do
            import -window root -crop "$geometry" "$WORK/$name-$(printf %06d "$i").ppm" 2>/dev/null || true
            rm -f "$WORK/$name-$(printf %06d $((i - 300))).ppm"
            i=$((i + 1))
        done
    ) &
    BURST_PID=$!
}

burst_stop() {
    touch "$WORK/$1.stop"
    wait "$BURST_PID" 2>/dev/null || true
    BURST_PID=
}

burst_find() {
    local name=$1 frame x y
    shift
    read -r x y <"$WORK/$name.origin"
    while read -r frame; do
        rm -f "$WORK/$name.cells"
        convert -size "${SCREEN_W}x${SCREEN_H}" xc:black "$frame" -geometry "+$x+$y" -composite \
            "$WORK/$name.png" || continue
        "$@" "$name" && return 0
    done < <(ls -r "$WORK/$name"-*.ppm 2>/dev/null)
    return 1
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

# count_near for a logical rectangle (x y w h) of the screen, scaled as the game draws it.
count_near_scaled() {
    local x0 y0 x1 y1
    x0=$(phys "$2")
    y0=$(phys "$3")
    x1=$(phys $(($2 + $4)))
    y1=$(phys $(($3 + $5)))
    count_near "$1" "$x0" "$y0" $((x1 - x0)) $((y1 - y0)) "$6"
}

# Waits for the game to end (at most $1 tenths of a second); prints its exit status.
wait_exit() {
    for _ in $(seq "${1:-100}"); do
        if [[ -s "$WORK/game.rc" ]]; then
            cat "$WORK/game.rc"
            return 0
        fi
        sleep 0.1
    done
    echo "running"
}

# Waits for the game to end as it should: status 0 and nothing on standard error.
expect_clean_exit() {
    local rc
    rc=$(wait_exit "${1:-50}")
    [[ "$rc" == "0" ]] || fail "exit status $rc"
    [[ ! -s "$WORK/stderr.txt" ]] || fail "unexpected output: $(cat "$WORK/stderr.txt")"
}

# The value of a key in the settings file (first match, any section).
ini_value() {
    grep -i "^$1=" "$INI" | head -n1 | cut -d= -f2- | tr -d '\r'
}

# The values of keys in the settings file, separated by spaces ("" for a missing one).
ini_values() {
    local k out=()
    for k; do
        out+=("$( (ini_value "$k") 2>/dev/null || true)")
    done
    echo "${out[*]}"
}

# Waits (at most 20 s: a registration hashes its password first) until the keys hold the values:
# expect_ini "<values>" <key>...
expect_ini() {
    local want=$1
    shift
    for _ in $(seq 200); do
        [[ "$(ini_values "$@")" == "$want" ]] && return 0
        sleep 0.1
    done
    fail "$* hold '$(ini_values "$@")', not '$want'"
}

# Registers ANNA with the password 12 from the menu (Enter opens the login screen), and waits
# until the settings file holds her: the login screen has closed by then.
register_anna() {
    key Return
    key a n n a Return 1 2 Return
    expect_ini "1" Usr_Num
}

# round(v * SCALE): where logical coordinate v lands on the screen, as the game rounds it.
phys() {
    awk -v v="$1" -v s="$SCALE" 'BEGIN { printf "%d\n", int(v * s + 0.5) }'
}

# Top-left of a screen's centred panel, in logical pixels: the logical screen is the physical one
# divided by the scale, rounded up.
panel_origin() {
    local lw lh
    lw=$(awk -v w="$SCREEN_W" -v s="$SCALE" 'BEGIN { v = w / s; printf "%d", (v == int(v)) ? v : int(v) + 1 }')
    lh=$(awk -v h="$SCREEN_H" -v s="$SCALE" 'BEGIN { v = h / s; printf "%d", (v == int(v)) ? v : int(v) + 1 }')
    echo $(((lw - $1) / 2)) $(((lh - $2) / 2))
}

# Clicks the middle of a logical rectangle (x y w h) of a centred panel of size pw x ph. Where the
# screen has a margin, the pointer goes out there first and so comes into the window at the place
# clicked (wanted where the window learns the pointer's place only from its coming in).
click_at() {
    local px py
    read -r px py < <(panel_origin "$5" "$6")
    ((SCREEN_MARGIN == 0)) ||
        xdotool mousemove --sync $((SCREEN_W + SCREEN_MARGIN / 2)) $((SCREEN_H / 2))
    xdotool mousemove "$(phys $((px + $1 + $3 / 2)))" "$(phys $((py + $2 + $4 / 2)))" \
        mousedown 1 sleep 0.1 mouseup 1
    sleep 0.2
}

# The game screen's board: the top-left of its paint box on the screen. Cell (x, y) has its
# 14 x 14 square at (15x - 14, 15y - 14) from there.
board_origin() {
    local gx gy
    read -r gx gy < <(panel_origin 641 577)
    echo $((gx + 96)) $((gy + 80))
}

# One line "x y r,g,b" for each inner cell (1..29) of a screenshot: the colour at (6, 6) of the
# cell's square, the middle of a worm's bead or of the target's ball. Kept beside the screenshot
# until it is taken again: a check that looks for every worm in one shot reads the picture once,
# which on a loaded machine is what lets a poll come round before the board has moved on.
board_cells() {
    local bx by cells="$WORK/$1.cells"
    if [[ ! "$cells" -nt "$WORK/$1.png" ]]; then
        read -r bx by < <(board_origin)
        convert -size 29x29 xc:black "$WORK/$1.png" \
            -fx "v.p{floor(($bx+7.5+i*15)*$SCALE),floor(($by+7.5+j*15)*$SCALE)}" \
            -depth 8 txt:- | awk -F'[(), :]+' 'NR > 1 { printf "%d %d %d,%d,%d\n", $1 + 1, $2 + 1, $3, $4, $5 }' \
            >"$cells.new" || return 1
        mv "$cells.new" "$cells"
    fi
    cat "$cells"
}

# "r,g,b" at (6, 6) of a picture file: what board_cells shows for a cell the picture is drawn in.
picture_rgb() {
    convert "$1" -format '%[fx:round(255*p{6,6}.r)],%[fx:round(255*p{6,6}.g)],%[fx:round(255*p{6,6}.b)]' info:
}

# The board colours of the worm pictures beside the game: $player, and ${worm[1]}..${worm[8]}.
load_worm_colours() {
    local prog n
    prog=$(dirname "$ZORBEL_BIN")
    player=$(picture_rgb "$prog/b0.bmp")
    worm=()
    for n in 1 2 3 4 5 6 7 8; do
        worm[n]=$(picture_rgb "$prog/b$n.bmp")
    done
}

# The pause caption's yellow across the board's rows above the start cells (rows 1 to 4, the
# top 61 pixels); the targets' yellow is far less.
pause_yellow() {
    local bx by
    read -r bx by < <(board_origin)
    count_near "$1" "$bx" "$by" 436 61 "255,255,0"
}
caption_shown() { (($(pause_yellow "$1") > 400)); }
caption_gone() { (($(pause_yellow "$1") < 200)); }

# The cells of a screenshot drawn with a worm picture: one "x y" line each. Scaled, the picture
# is resampled, so its colour is matched within a small distance.
cells_of() {
    board_cells "$1" | awk -v c="$2" -v s="$SCALE" 'BEGIN { split(c, w, ",") }
        { split($3, p, ","); d = (p[1] - w[1])^2 + (p[2] - w[2])^2 + (p[3] - w[3])^2 }
        (s == 1 && $3 == c) || (s != 1 && d < 900) { print $1, $2 }'
}

# Whether the worm drawn in colour $4 has a bead on cell ($2, $3) of screenshot $1. A worm is found
# by its colour, never by a cell that is not the board's green: a target may lie on that cell.
bead_at() { cells_of "$1" "$4" | grep -qx "$2 $3"; }

# The cells whose middle is the yellow of the target's ball in any of its frames (no worm bead is
# that yellow: the player's is greener, orange and brown are redder).
target_cells() {
    board_cells "$1" | awk '{ split($3, c, ","); r = c[1]; g = c[2]; b = c[3] }
        r >= 180 && g <= r && g >= 0.8 * r && b <= 0.4 * g { print $1, $2 }'
}

# The game's message box on the screen: "x y w h" of its outline, nothing when none shows. The
# outline's blue is the box's own: no screen beneath uses it.
message_boxes() {
    local outline="rgb(0,64,255)" n
    import -window root "$WORK/message_box.png"
    n=$(convert "$WORK/message_box.png" -fill black +opaque "$outline" -fill white -opaque "$outline" \
        -colorspace gray -format '%[fx:round(mean*w*h)]' info:)
    ((n > 400)) || return 0
    convert "$WORK/message_box.png" -fill black +opaque "$outline" -trim -format '%X %Y %w %h' info: |
        tr -d '+'
    echo
}

# Clicks the OK ball of the message box "x y w h", centred at the foot of the box.
dismiss_message_box() {
    xdotool mousemove $(($1 + $3 / 2 - 15)) $(($2 + $4 - 31)) click 1
    sleep 0.3
}
