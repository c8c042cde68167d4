#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: unit, screen and end-to-end
# tests, then the AddressSanitizer + UndefinedBehaviorSanitizer and ThreadSanitizer runs.
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

# Each fuzzer of the settings reader, the number parsers, the wave validation and the replay
# reader for 60 s.
ZORBEL_FUZZ_JOBS="$jobs" fuzz/run.sh 60
echo "All tests passed."
