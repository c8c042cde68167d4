#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz", clang) and runs each for the given number of seconds
# (the replay reader and the replays' playback for half of it each), one after another. Extra
# arguments go to every fuzzer, e.g. -runs=10000000 with 0 seconds for a long run. A finding
# stops the script with the fuzzer's status; the input that broke a property is kept under
# <build>/fuzz-work/artifacts/.
# Usage: fuzz/run.sh <seconds per target> [libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz/run.sh <seconds per target> [libFuzzer options...]}
shift
build=${ZORBEL_FUZZ_BUILD:-build-fuzz}

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target fuzz_ini fuzz_number fuzz_wave fuzz_replay fuzz_playback fuzz_midi \
    fuzz_net_message fuzz_net_match zorbel_program_files -j"${ZORBEL_FUZZ_JOBS:-2}"

work=$build/fuzz-work
mkdir -p "$work"/ini "$work"/number "$work"/wave "$work"/wave-seeds "$work"/replay "$work"/replay-seeds \
    "$work"/playback "$work"/midi "$work"/midi-seeds "$work"/net_message "$work"/net-seeds \
    "$work"/net_match "$work"/net-match-seeds "$work"/artifacts

# Wave seeds, made here so that git holds no binary file: the head of each of the game's sounds
# (the generator writes them at build time) and RIFF shapes around the one the image accepts.
seeds=$work/wave-seeds
for sound in "$build"/assets/*.wav; do
    head -c 512 "$sound" >"$seeds/$(basename "$sound")"
done
printf 'RIFF\x04\x00\x00\x00WAVE' >"$seeds/header-only"
printf 'RIFF\x04\x00\x00\x00AVI ' >"$seeds/other-form"
printf 'LIST\x04\x00\x00\x00INFORIFF\x04\x00\x00\x00WAVE' >"$seeds/after-a-list"
printf 'JUNK\x03\x00\x00\x00abc\x00RIFF\x04\x00\x00\x00WAVE' >"$seeds/after-odd-chunk"
printf 'RIFF\xff\xff\xff\xffWAV' >"$seeds/truncated"
printf 'RIFX\x04\x00\x00\x00WAVE' >"$seeds/big-endian"
# The stored form: a 32-bit count before the file.
printf '\x0c\x00\x00\x00RIFF\x04\x00\x00\x00WAVE' >"$seeds/stored"

# Replay seeds: a single game on Master with three turns, and its first half.
replay='\x5a\x4f\x52\x42\x45\x4c\x32\x52\x01\x00\x00\x04\x06\x00\x50\x00\x08\x01\x88\x77\x66\x55\x44\x33'
replay+='\x22\x11\x03\x00\x41\x6e\x6e\x03\x00\x00\x00\x1a\x00\xab\x0c\xfa\x00\x00\x00\x02\x00\x00\x00\x14'
replay+='\x00\x00\x00\x0d\xf0\xfe\xca\xef\xbe\xad\xde\xcc\x19\xc6\xf7'
printf "$replay" >"$work/replay-seeds/master"
head -c 31 "$work/replay-seeds/master" >"$work/replay-seeds/half"
# And the golden replays the tests play back: whole games of both modes.
cp tests/data/*.zr2 "$work/replay-seeds/"

# Tune seeds: the game's own music; a hit and its end at tick 96, by tempo and by time code; a
# silence of 2^28 - 1 ticks at one tick per quarter note (years); a rendering of two frames kept
# in the cache.
cp "$build/zbmusic.mid" "$work/midi-seeds/zbmusic.mid"
track='MTrk\x00\x00\x00\x0c\x00\x99\x25\x6e\x18\x89\x25\x00\x48\xff\x2f\x00'
printf "MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60$track" >"$work/midi-seeds/hit"
printf "MThd\x00\x00\x00\x06\x00\x00\x00\x01\xe7\x28$track" >"$work/midi-seeds/time-code"
printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x01MTrk\x00\x00\x00\x07\xff\xff\xff\x7f\xff\x2f\x00' \
    >"$work/midi-seeds/years"
printf 'ZBTUNE01\x44\xac\x00\x00\x02\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00' \
    >"$work/midi-seeds/kept"
printf '\x02\x00\x00\x00\x00\x00\x00\x00\x10\x00\xf0\xff\x20\x00\xe0\xff' >>"$work/midi-seeds/kept"

# Network message seeds: a Hello, a Start, turns for three steps, a hash, a pause and a leave.
net=$work/net-seeds
printf '\x01\x01\x00\x052.0.0\x04\x00ANNA' >"$net/hello"
printf '\x02\x88\x77\x66\x55\x44\x33\x22\x11\x64\x00\x02\x01\x00A\x01\x00B' >"$net/start"
printf '\x03\x02\x28\x00\x00\x00\x03\x00\x02\x00\x00\x00\x03\x02\x00\x01' >"$net/turns"
printf '\x04\x10\x00\x00\x00\x0d\xf0\xfe\xca\xef\xbe\xad\xde' >"$net/hash"
printf '\x05\x0c\x00\x00\x00' >"$net/pause"
printf '\x07\x00\x63\x00\x00\x00' >"$net/leave"
# Match seeds: a round trip and an interval, then time passing with keys on both sides, a pause
# by the host resumed, and the host leaving.
printf '\x10\x0a\x00\xff\x02\x01\x82\x02\x00\x80\x00\x40\x03\x00\xff\x03\x00\x40\x04' \
    >"$work/net-match-seeds/keys-pause-leave"

# A smaller quarantine than AddressSanitizer's 256 MB keeps millions of runs quick; one run
# allocates far less than it, so a use after free within a run is still caught.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64}

# The replay reader and the replays' playback share one target's time, and so do the network
# messages and the match they drive, so that the whole run stays within six targets' time.
half=$(((seconds + 1) / 2))
declare -A time_of=([replay]=$half [playback]=$half [net_message]=$half [net_match]=$half)
run() {
    local name=$1 maxlen=$2
    shift 2
    local time=${time_of[$name]:-$seconds}
    echo "== fuzz_$name: ${time} s"
    "$build/fuzz/fuzz_$name" -max_total_time="$time" -max_len="$maxlen" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$work/artifacts/$name-" "${extra[@]}" \
        "$work/$name" "$@"
}
extra=("$@")
run ini 2100 fuzz/corpus/ini
run number 1100 fuzz/corpus/number
run wave 4096 "$seeds"
run replay 4096 "$work/replay-seeds"
run playback 4096 "$work/replay-seeds"
run midi 9000 "$work/midi-seeds"
run net_message 4200 "$net"
run net_match 2048 "$work/net-match-seeds"
