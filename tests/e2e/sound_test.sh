#!/usr/bin/env bash
# What the game really plays, through SDL's disk audio driver, which writes the samples a sound
# card would get into a file (44 100 frames a second, two 16-bit samples each): the music from
# start-up on; and, with no music file, silence until Exit is clicked (the device let go once it
# has been silent a while), then the click, played to its end before the program closes.
source "$(dirname "$0")/lib.sh"

prog=$(dirname "$ZORBEL_BIN")
export SDL_AUDIODRIVER=disk
RATE=44100

frames() { echo $(($(stat -c %s "$1") / 4)); }

# "count first last" of the frames from frame $2 on whose louder sample exceeds $3 (of 32767);
# frame numbers count from the start of the file, -1 when there is none.
loud_frames() {
    od -An -v -t d2 -w4 -j $(($2 * 4)) "$1" | awk -v t="$3" -v base="$2" '
        { a = $1 < 0 ? -$1 : $1; b = $2 < 0 ? -$2 : $2 }
        a > t || b > t { if (n == 0) first = NR - 1; last = NR - 1; n++ }
        END { if (n == 0) print 0, -1, -1; else print n, base + first, base + last }'
}

start_x

# The music: heard from start-up, and it goes on.
export SDL_DISKAUDIOFILE="$WORK/music.raw"
start_game
for _ in $(seq 50); do
    read -r loud _ _ < <(loud_frames "$SDL_DISKAUDIOFILE" 0 100)
    ((loud >= RATE)) && break
    sleep 0.1
done
((loud >= RATE)) || fail "no music: $loud loud frames in $(frames "$SDL_DISKAUDIOFILE")"
key Escape
rc=$(wait_exit 50)
[[ "$rc" == "0" ]] || fail "exit status $rc with music"

# Without the music file, nothing plays until Exit is clicked, and the silent device is let go
# after a few seconds: its file stops growing.
mkdir "$WORK/quiet"
cp "$ZORBEL_BIN" "$prog"/b?.bmp "$WORK/quiet/"
ZORBEL_BIN="$WORK/quiet/$(basename "$ZORBEL_BIN")"
export SDL_DISKAUDIOFILE="$WORK/click.raw"
start_game
size=-1
still=0
for _ in $(seq 120); do
    now=$(frames "$SDL_DISKAUDIOFILE")
    if ((now == size)); then still=$((still + 1)); else still=0; fi
    size=$now
    ((still >= 8 && size > 0)) && break
    sleep 0.25
done
((still >= 8)) || fail "the silent device was not let go: $size frames and growing"
read -r loud _ _ < <(loud_frames "$SDL_DISKAUDIOFILE" 0 100)
((loud == 0)) || fail "$loud loud frames without music before any click"

# The click opens the device again (the disk driver starts its file anew) and is played to its
# end before the program closes.
read -r mx my < <(panel_origin 545 297)
xdotool mousemove $((mx + 46)) $((my + 269)) click 1
rc=$(wait_exit 50)
[[ "$rc" == "0" ]] || fail "exit status $rc after Exit"
read -r loud first last < <(loud_frames "$SDL_DISKAUDIOFILE" 0 100)
((loud > 0)) || fail "no click heard after Exit"
# The click dies away over a quarter of a second, and the device stays open for all of its
# 0.55 s: the program waited for it before it closed.
((last - first >= RATE / 8)) || fail "the click was cut: loud for $((last - first)) frames"
end=$(frames "$SDL_DISKAUDIOFILE")
((end - first >= RATE * 45 / 100)) ||
    fail "the output ended $((end - first)) frames after the click began"
echo "sound: ok"
