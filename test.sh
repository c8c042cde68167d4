#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: unit, screen and end-to-end
# tests, then the AddressSanitizer + UndefinedBehaviorSanitizer and ThreadSanitizer runs, the
# fuzzers, and the Windows build with its tests under Wine (ZORBEL_SKIP_WINDOWS=1 leaves that out).
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh --test
jobs=$(nproc)

cmake --preset default -DZORBEL_BUILD_TESTS=ON -DZORBEL_BUILD_BENCH=ON >/dev/null
cmake --build --preset default -j"$jobs"
ctest --preset default

cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
ctest --preset asan

cmake --preset tsan >/dev/null
cmake --build --preset tsan -j"$jobs"
ctest --preset tsan

# Each fuzzer of the settings reader, the number parsers, the wave validation, the replay reader
# with the replays' playback (sharing one slot), the tune readers and the network messages with
# the match they drive (sharing one slot) for 48 s: under five minutes in all.
ZORBEL_FUZZ_JOBS="$jobs" fuzz/run.sh 48

# The same sources cross-built for Windows, its test executables and a smoke test under Wine. The
# Windows libraries are built once (about ten minutes on two cores) and reused by later runs.
if [[ "${ZORBEL_SKIP_WINDOWS:-0}" != 1 ]]; then
    scripts/windows.sh --test
fi
echo "All tests passed."
