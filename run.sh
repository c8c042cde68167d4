#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake --preset default -DZORBEL_BUILD_TESTS=OFF -DZORBEL_BUILD_BENCH=OFF >/dev/null
cmake --build --preset default --target zorbel2 -j"$(nproc)"
exec build/zorbel2
