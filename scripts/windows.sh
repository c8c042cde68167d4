#!/usr/bin/env bash
# Cross-builds the Windows x64 release on this Debian machine with MinGW-w64:
#
#   build-windows/zorbel2.exe                          the game (its DLLs in the prefix below)
#   build-windows/tests/test_*.exe                     the test executables (run under Wine)
#   build-windows/zorbel2-<version>-windows-x64.zip    the game, its DLLs, data files and a read-me
#   build-windows/zorbel2-<version>-windows-x64.exe    the NSIS installer
#
# With --test it then runs the test executables and an end-to-end smoke of the zip under Wine
# (tests/windows/run.sh).
#
# The Windows libraries are built once from Debian's source packages (scripts/windows-deps.sh)
# into $ZORBEL_WINDOWS_PREFIX (default ~/.cache/zorbel2-windows) and reused by later runs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/deps.sh --windows
prefix=${ZORBEL_WINDOWS_PREFIX:-$HOME/.cache/zorbel2-windows}
scripts/windows-deps.sh "$prefix"
prefix=$(cd "$prefix" && pwd)
build=$root/build-windows
jobs=$(nproc)
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# The asset generator runs here: a copy for this machine, rebuilt when its sources change.
host=$build/host
mkdir -p "$host"
if [[ ! -x "$host/assetgen" ]] || [[ -n "$(find tools/assetgen -newer "$host/assetgen" -print -quit)" ]]; then
    cmake -S tools/assetgen/host -B "$host/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        "${launcher[@]}" >/dev/null
    cmake --build "$host/build" -j"$jobs" >/dev/null
    cp "$host/build/assetgen" "$host/assetgen"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DZORBEL_WINDOWS_PREFIX="$prefix" -DZORBEL_ASSETGEN="$host/assetgen" \
    -DCMAKE_BUILD_TYPE=Release -DZORBEL_BUILD_TESTS=ON -DZORBEL_BUILD_BENCH=OFF \
    "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$jobs"
(cd "$build" && cpack -G "ZIP;NSIS" >/dev/null)
ls -1 "$build"/zorbel2-*-windows-x64.zip "$build"/zorbel2-*-windows-x64.exe
if [[ "${1:-}" == "--test" ]]; then
    tests/windows/run.sh "$build" "$prefix"
fi
