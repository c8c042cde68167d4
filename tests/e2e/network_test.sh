#!/usr/bin/env bash
# A network death match between two copies of the game, each on its own X server, joined over
# 127.0.0.1 by the command line: both boards hold the same worms after turns from either side,
# directly and through a relay that delays and drops; both keep the same replay when the guest
# leaves with Esc; and a guest that vanishes leaves the host with a message and then the menu.
source "$(dirname "$0")/lib.sh"

RELAY_BIN=${ZORBEL_RELAY:-$(dirname "$ZORBEL_BIN")/tests/udp_relay}
[[ -x "$RELAY_BIN" ]] || fail "no relay at $RELAY_BIN"
# The board and little more: two screens are taken at every poll.
SCREEN_W=800
SCREEN_H=600

start_x
HOST_DISPLAY=$DISPLAY
HOST_X=$XVFB_PID
start_x
GUEST_DISPLAY=$DISPLAY
GUEST_X=$XVFB_PID
XVFB_PID=$HOST_X
SIDE_PIDS=()
stop_sides() {
    local pid
    for pid in "${SIDE_PIDS[@]}"; do
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    SIDE_PIDS=()
}
trap 'stop_sides; kill "$GUEST_X" 2>/dev/null; cleanup' EXIT

load_worm_colours
P1=$player
P2=${worm[2]}
read -r gx gy < <(panel_origin 641 577)

# Starts one side: side (host or guest), its display, then the game's arguments; its settings,
# replays and caches are its own. Sets LAST_PID.
run_side() {
    local side=$1 display=$2
    shift 2
    mkdir -p "$WORK/$side"
    (
        cd "$WORK/$side"
        DISPLAY=$display XDG_CONFIG_HOME="$WORK/$side/config" XDG_DATA_HOME="$WORK/$side/data" \
            XDG_CACHE_HOME="$WORK/$side/cache" exec "$ZORBEL_BIN" --scale 1 "$@" 2>>"$WORK/$side/stderr.txt"
    ) &
    LAST_PID=$!
    SIDE_PIDS+=("$LAST_PID")
}
# A screenshot of a side's screen into $WORK/<name>.png.
side_shot() { DISPLAY=$1 capture "$2"; }
side_key() { DISPLAY=$1 xdotool key --delay 60 "$2"; }
# Both worms' beads on a screenshot ("x y player" lines), then every other cell that is not the
# board's green ("x y"): the targets, whose frames change with the time but not their cells. The
# rows above the start cells are left out: the two sides' pause captions stand there, each as
# wide as its own text.
board_state() {
    { cells_of "$1" "$P1" | sed 's/$/ 1/'; cells_of "$1" "$P2" | sed 's/$/ 2/'; } | awk '$2 >= 5' | sort
    board_cells "$1" | awk -v a="$P1" -v b="$P2" \
        '$2 >= 5 && $3 != "0,128,0" && $3 != a && $3 != b { print $1, $2 }' | sort
}
# Waits until both screens show the same board twice in a row (the worms may be between bouts,
# the targets are always there); fails with the two pictures kept when they never do.
same_boards() {
    local end=$((SECONDS + 20)) last="" now
    while ((SECONDS < end)); do
        side_shot "$HOST_DISPLAY" "$1_host"
        side_shot "$GUEST_DISPLAY" "$1_guest"
        now=$(board_state "$1_host")
        if [[ -n "$now" && "$now" == "$(board_state "$1_guest")" ]]; then
            [[ "$now" == "$last" ]] && return 0
            last=$now
        else
            last=""
        fi
        sleep 0.2
    done
    fail "$1: the two boards differ (see $1_host.png and $1_guest.png)"
}
wait_caption() {
    local display=$1 want=$2 name=$3 end=$((SECONDS + 20))
    while ((SECONDS < end)); do
        side_shot "$display" "$name"
        if [[ "$want" == shown ]]; then caption_shown "$name" && return 0; else caption_gone "$name" && return 0; fi
        sleep 0.1
    done
    fail "$name: the caption over the board never became $want"
}
wait_board() {
    local display=$1 name=$2 end=$((SECONDS + 30))
    while ((SECONDS < end)); do
        side_shot "$display" "$name"
        # The board's green fills the paint box once the game screen shows.
        (($(count_near "$name" $((gx + 96)) $((gy + 80)) 436 436 "0,128,0") > 50000)) && return 0
        sleep 0.2
    done
    fail "$name: no board"
}

# Plays turns ("host Up", "guest Left"...) from both sides, pausing after each (the host's Pause holds both at one step) to
# compare the two boards. prefix names the screenshots.
play_turns() {
    local prefix=$1 n=0 turn side display
    shift
    for turn in "$@"; do
        n=$((n + 1))
        read -r side key_name <<<"$turn"
        display=$HOST_DISPLAY
        [[ "$side" == guest ]] && display=$GUEST_DISPLAY
        side_key "$display" "$key_name"
        side_key "$HOST_DISPLAY" Pause
        wait_caption "$HOST_DISPLAY" shown "${prefix}_paused_host_$n"
        wait_caption "$GUEST_DISPLAY" shown "${prefix}_paused_guest_$n"
        same_boards "${prefix}_turn_$n"
        side_key "$HOST_DISPLAY" Pause
        wait_caption "$GUEST_DISPLAY" gone "${prefix}_resumed_guest_$n"
    done
}

start_match() {
    local target=$1
    PORT=$((20000 + RANDOM % 30000))
    run_side host "$HOST_DISPLAY" --host "$PORT"
    HOST_PID=$LAST_PID
    if [[ "$target" == relay ]]; then
        coproc RELAY { exec "$RELAY_BIN" --target "$PORT" --delay-ms 100 --drop 0.05 --seed 7; }
        SIDE_PIDS+=("$RELAY_PID")
        read -r -u "${RELAY[0]}" joined || fail "the relay did not start"
    else
        joined=127.0.0.1:$PORT
    fi
    run_side guest "$GUEST_DISPLAY" --join "$joined"
    GUEST_PID=$LAST_PID
    wait_board "$HOST_DISPLAY" "$target-host_board"
    wait_board "$GUEST_DISPLAY" "$target-guest_board"
}

# Directly over the loopback; the guest leaves with Esc, and both keep the same replay.
start_match direct
play_turns direct "host Up" "guest Left" "host Right" "guest Down"
side_key "$GUEST_DISPLAY" Escape
end=$((SECONDS + 20))
while (($(find "$WORK/host/data" "$WORK/guest/data" -name '*.zr2' | wc -l) < 2)) && ((SECONDS < end)); do
    sleep 0.2
done
host_replay=$(find "$WORK/host/data" -name '*.zr2' | sort | tail -1)
guest_replay=$(find "$WORK/guest/data" -name '*.zr2' | sort | tail -1)
[[ -n "$host_replay" && -n "$guest_replay" ]] || fail "a side kept no replay"
cmp "$host_replay" "$guest_replay" || fail "the two replays differ"
# The host is told, and its message box's Enter leads to the menu.
end=$((SECONDS + 20))
while [[ -z "$(DISPLAY=$HOST_DISPLAY message_boxes)" ]] && ((SECONDS < end)); do sleep 0.2; done
[[ -n "$(DISPLAY=$HOST_DISPLAY message_boxes)" ]] || fail "the host was not told the guest left"
stop_sides

# Through a relay adding 100 ms each way and dropping 5 % of the packets: the same, only slower.
rm -rf "$WORK/host/data" "$WORK/guest/data"
start_match relay
play_turns relay "guest Up" "host Down"
# The guest vanishes without a word: after the silence the host says so, then shows the menu.
kill -KILL "$GUEST_PID"
end=$((SECONDS + 30))
while [[ -z "$(DISPLAY=$HOST_DISPLAY message_boxes)" ]] && ((SECONDS < end)); do sleep 0.5; done
[[ -n "$(DISPLAY=$HOST_DISPLAY message_boxes)" ]] || fail "the host was not told the guest left"
side_shot "$HOST_DISPLAY" left_message
side_key "$HOST_DISPLAY" Return
read -r mx my < <(panel_origin 545 297)
end=$((SECONDS + 20))
while ((SECONDS < end)); do
    side_shot "$HOST_DISPLAY" host_menu
    (($(count_near host_menu $((mx + 216)) $((my + 32)) 305 177 "255,255,0") > 500)) && break
    sleep 0.2
done
(($(count_near host_menu $((mx + 216)) $((my + 32)) 305 177 "255,255,0") > 500)) ||
    fail "the host did not come back to the menu"
kill -0 "$HOST_PID" 2>/dev/null || fail "the host ended"
[[ ! -s "$WORK/host/stderr.txt" ]] || fail "host stderr: $(cat "$WORK/host/stderr.txt")"
echo PASS
