#!/usr/bin/env bash
# What reaches a real sound server: a PulseAudio server of the test's own with a null sink, whose
# monitor parec records. Each sound is found in the recording by its loudness and its length (the
# click Pop lasts 0.55 s but is loud for only its first tenth of a second, Hrum about 3.1 s, the
# death's DeadSound about 5.9 s). The music plays from start-up. Without the music file the silent
# device is let go at the menu and taken again by the next click; a target eaten and a death are
# heard; and a server killed in the middle of a game leaves a silent game that goes on.
source "$(dirname "$0")/lib.sh"

prog=$(dirname "$ZORBEL_BIN")
RATE=44100
# A slow tick of the Custom level, no computer worms: the test has time to steer.
mkdir -p "$(dirname "$INI")"
printf '[Main]\nSkill=5\n[Custom]\nprob=6\ntimer=700\nworms=0\n' >"$INI"

start_x
start_pulse
parec -d zorbel.monitor --raw --format=s16le --rate=$RATE --channels=1 --latency-msec=20 \
    >"$WORK/sink.raw" 2>"$WORK/parec.txt" &
PAREC_PID=$!
trap 'kill "$PAREC_PID" 2>/dev/null || true; cleanup' EXIT

# Seconds recorded so far.
recorded() { awk -v b="$(stat -c %s "$WORK/sink.raw")" -v r=$RATE 'BEGIN { printf "%.2f", b / 2 / r }'; }

# One line "start length kind" for each sound in the recording from second $1 on: runs of 10 ms
# windows louder than 1/32 of full scale, with gaps of up to 0.2 s inside one sound; a run still
# going at the end of the recording is left out unless it is longer than any sound already. Kind
# by length: pop, hrum (3.1 s), dead (5.9 s), hrum+dead (a Hrum cut short by DeadSound, which
# replaces it on the one channel: a worm that eats and then meets a computer worm; told only once
# CUT_SOUNDS is 1, when no music plays), or long (the music); a busy machine's late buffers
# stretch a sound by a few tenths.
CUT_SOUNDS=0
sounds() {
    local skip=$((${1%.*} * RATE * 2))
    od -An -v -t d2 -w2 -j "$skip" "$WORK/sink.raw" | awk -v base="${1%.*}" -v r=$RATE -v cut="$CUT_SOUNDS" '
        { a = $1 < 0 ? -$1 : $1; if (a > peak) peak = a }
        NR % 441 == 0 { w = NR / 441 - 1; loud[w] = peak > 1024; peak = 0; n = w + 1 }
        END {
            start = -1
            for (w = 0; w < n; ++w) {
                if (!loud[w]) continue
                if (start >= 0 && w - last > 20) { emit(start, last); start = -1 }
                if (start < 0) start = w
                last = w
            }
            if (start >= 0 && (n - last > 20 || last - start >= 700)) emit(start, last)
        }
        function emit(s, e,   len, kind) {
            len = (e - s + 1) / 100
            kind = len < 0.5 ? "pop" : len >= 2.6 && len <= 3.6 ? "hrum" : len >= 5.1 && len <= 6.5 ? "dead" : cut && len > 6.5 && len <= 10.1 ? "hrum+dead" : "long"
            printf "%.2f %.2f %s\n", base + s / 100, len, kind
        }'
}

# Waits (at most $2 seconds) until a sound of kind $1 is in the recording after second $3.
wait_sound() {
    local end=$((SECONDS + $2))
    while ((SECONDS < end)); do
        sounds "$3" | grep -q "[ +]$1\$" && return 0
        sleep 0.3
    done
    fail "no $1 after ${3}s; sounds: $(sounds "$3" | tr '\n' ';')"
}

# --- The music, from start-up on: seven seconds of it without a pause, longer than any sound.
start_game
wait_sound long 40 0
key Escape
rc=$(wait_exit 50)
[[ "$rc" == "0" ]] || fail "exit with music: $rc $(cat "$WORK/stderr.txt")"

# --- Without the music file.
CUT_SOUNDS=1
mkdir "$WORK/quiet"
cp "$ZORBEL_BIN" "$prog"/b?.bmp "$WORK/quiet/"
ZORBEL_BIN="$WORK/quiet/$(basename "$ZORBEL_BIN")"
start_game
register_anna
# The clicks end, and a few seconds later the device is let go.
for _ in $(seq 200); do
    (($(sink_inputs) == 0)) && break
    sleep 0.1
done
(($(sink_inputs) == 0)) || fail "the silent device was not let go at the menu"
# New Game's click takes it again, and is heard.
since=$(recorded)
key Return
wait_sound pop 10 "$since"
(($(sink_inputs) == 1)) || fail "the click did not take the device again"

load_worm_colours
player_cells() { cells_of "$1" "$player" | tr '\n' ';'; }
has_bead() { cells_of "$3" "$player" | grep -qx "$1 $2"; }
at_start() { [[ "$(player_cells "$1")" == "15 15;" ]] && [[ -n "$(target_cells "$1")" ]]; }

# Whether anything louder than 1/32 of full scale was recorded after second $1.
heard_since() {
    od -An -v -t d2 -w2 -j $((${1%.*} * RATE * 2)) "$WORK/sink.raw" |
        awk '{ a = $1 < 0 ? -$1 : $1 } a > 1024 { found = 1 } END { exit !found }'
}

# A game whose target lies straight ahead of the worm's start cell, with two cells or more behind
# it: other games are left with Esc for a new one, so that no turn has to be timed to the cell.
# Once the eating is heard the worm turns aside, which leaves it 14 cells to run, and Hrum plays
# out before the wall ends the game. It turns away from the side the new target came on: a
# target eaten just before the wall would run its Hrum into DeadSound as one long sound.
# The new target may also come down right in the worm's way, where the worm eats it before a
# busy machine's turn comes: the second Hrum then starts over the first, which is heard as one
# long sound. Such a game shows a score above 1 once the worm has turned, and is left for another.
read -r px py < <(panel_origin 641 577)
# The score's last digit against its first (a 0 below 100 eaten): a 1 has less than half the
# white of a 0 (6 pixels to 21), a 2 most of it (17).
score_is_one() {
    local zero last
    zero=$(count_near "$1" $((px + 32)) $((py + 36)) 12 15 "255,255,255")
    last=$(count_near "$1" $((px + 55)) $((py + 36)) 12 15 "255,255,255")
    ((last * 2 < zero))
}
# Waits until nothing has been heard for a second: a sound still playing from before would be
# taken for the next one.
wait_quiet() {
    local end=$((SECONDS + 20))
    while heard_since "$(awk -v t="$(recorded)" 'BEGIN { printf "%.2f", (t > 1 ? t - 1 : 0) }')"; do
        ((SECONDS < end)) || fail "sound goes on: $(sounds 0 | tail -n3 | tr '\n' ';')"
        sleep 0.2
    done
}
games=0
attempts=0
while :; do
    games=$((games + 1))
    ((games <= 150)) || fail "no target in line with the worm in 150 games"
    poll_shot board 20 at_start || fail "no game began: player at '$(player_cells board)'"
    read -r tx ty < <(target_cells board | head -n1)
    dx=$((tx - 15))
    dy=$((ty - 15))
    if ((dx == 0 && dy != 0 && dy * dy <= 144)) || ((dy == 0 && dx != 0 && dx * dx <= 144)); then
        attempts=$((attempts + 1))
        ((attempts <= 5)) || fail "a second target eaten before the turn in 5 games"
        wait_quiet
        since=$(recorded)
        if ((dx > 0)); then key Right; elif ((dx < 0)); then key Left; elif ((dy > 0)); then key Down; else key Up; fi
        end=$((SECONDS + 30))
        until heard_since "$since"; do
            ((SECONDS < end)) || fail "nothing heard as the worm ran onto the target"
            sleep 0.1
        done
        capture eaten
        nx=0 ny=0
        read -r nx ny < <(target_cells eaten | head -n1) || true
        if ((dx != 0)); then
            if ((ny != 0 && ny < 15)); then key Down; else key Up; fi
        else
            if ((nx != 0 && nx < 15)); then key Right; else key Left; fi
        fi
        capture turned
        score_is_one turned && break
    fi
    key Escape
    key Return
done
# It eats, runs on into the wall and dies: Hrum is heard, then DeadSound (at once, when a computer
# worm is in the way).
wait_sound dead 60 "$since"
heard=$(sounds "$since" | awk '{print $3}' | tr '\n' ' ')
[[ "$heard" == "hrum dead " || "$heard" == "hrum+dead " ]] ||
    fail "the eating and the death: $(sounds "$since" | tr '\n' ';')"
[[ -z "$(message_boxes)" ]] || fail "a message box with the sound server up"

# --- The server goes away in the middle of a game: the game goes on, silent, without a word.
poll_shot board 20 at_start || fail "no game after the death"
kill -KILL "$PULSE_PID"
wait "$PULSE_PID" 2>/dev/null || true
PULSE_PID=""
key Right
poll_shot run 30 has_bead 20 15 || fail "the worm did not move after the server went: $(player_cells run)"
# It reaches the wall, dies and the next game begins, as with sound. On a busy machine one capture
# can outlast the run to the wall and the death, so the next game's start counts as well.
at_wall_or_next() { has_bead 29 15 "$1" || at_start "$1"; }
poll_shot wall 30 at_wall_or_next || fail "the worm stopped on its way: $(player_cells wall)"
poll_shot board 30 at_start || fail "no next game without the server: $(player_cells board)"
[[ -z "$(message_boxes)" ]] || fail "a message box after the server went"
key Escape
key Escape
expect_clean_exit
echo "sound server: ok (a target in line in game $games)"
