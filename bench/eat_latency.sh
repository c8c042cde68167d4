#!/usr/bin/env bash
# How late the game's ticks come after each target eaten, through a real sound server: a
# PulseAudio server of its own with a null sink (as the end-to-end tests start it), and
# bench_eat_latency playing a game without music through it. Reports; never fails on the figures.
# Usage: bench/eat_latency.sh [path to bench_eat_latency] [eats] [milliseconds between eats]
set -euo pipefail
bin=$(realpath "${1:-build/bench/bench_eat_latency}")
source "$(dirname "$0")/../tests/e2e/lib.sh"
start_pulse
"$bin" "${2:-10}" "${3:-7000}"
