#!/usr/bin/env bash
# The Windows build's tests under Wine: each test executable runs once, all its cases, and the
# counts are summed as ctest's are; then the end-to-end smoke of the release zip in Xvfb.
#
#   tests/windows/run.sh BUILD_DIR PREFIX
set -euo pipefail
build=$(cd "$1" && pwd)
prefix=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine.sh"
wine_prefix "$build/wine"

# The test executables find the libraries' DLLs, MinGW's threads DLL and GCC's run-time DLL (the
# libraries' own need: libsodium's) where they were built.
gcc_dlls=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libgcc_s_seh-1.dll)")
WINEPATH="$(winepath -w "$prefix/bin");$(winepath -w /usr/x86_64-w64-mingw32/lib);$(winepath -w "$gcc_dlls")"
export WINEPATH
passed=0
failed=0
failures=()
for exe in "$build"/tests/test_*.exe; do
    name=$(basename "$exe" .exe)
    log="$build/tests/$name.log"
    rc=0
    wine "$exe" --gtest_color=no >"$log" 2>&1 || rc=$?
    # Wine's console ends lines with CR LF.
    ok=$(tr -d '\r' <"$log" | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p' | tail -1)
    bad=$(tr -d '\r' <"$log" | sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:$/\1/p' | tail -1)
    ok=${ok:-0}
    bad=${bad:-0}
    if [[ $rc -ne 0 && $bad -eq 0 ]]; then
        bad=1 # it ended before gtest could count: the whole executable failed
    fi
    echo "$name: $ok passed, $bad failed (Wine, exit status $rc)"
    passed=$((passed + ok))
    failed=$((failed + bad))
    ((bad == 0)) || failures+=("$name: see $log")
done

if bash "$here/smoke_test.sh" "$build"; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
    failures+=("smoke_test.sh (zorbel2.exe under Wine)")
fi

for f in "${failures[@]}"; do
    echo "FAILED: $f"
done
echo "windows: $passed passed, $failed failed"
((failed == 0))
