#!/usr/bin/env bash
# `cmake --install` into a staging folder lays out the game, its data and its desktop files the
# way a desktop finds them.
set -euo pipefail
source "$(dirname "$0")/layout.sh"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

DESTDIR="$WORK/root" cmake --install "$ZORBEL_BUILD_DIR" --prefix /usr >"$WORK/install.log" ||
    fail "cmake --install failed: $(cat "$WORK/install.log")"
check_layout "$WORK/root/usr" "$ZORBEL_BUILD_DIR"
for s in "${ICON_SIZES[@]}"; do
    cmp -s "$WORK/root/usr/share/icons/hicolor/${s}x${s}/apps/$APP_ID.png" \
        "$ZORBEL_ICON_DIR/icon_$s.png" || fail "icon ${s}x${s} is not the generated one"
done
# The software centre's view of the whole tree: metainfo, desktop entry and icons together.
appstreamcli validate-tree --no-net "$WORK/root" >"$WORK/tree.log" 2>&1 ||
    fail "validate-tree: $(cat "$WORK/tree.log")"
# The software centre shows the README's pictures: each one named in the metainfo is committed.
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
mapfile -t pictures < <(grep -o 'main/docs/screenshots/[^<]*' \
    "$WORK/root/usr/share/metainfo/$APP_ID.metainfo.xml" | sed 's|^main/||')
((${#pictures[@]} > 0)) || fail "metainfo shows no screenshot"
for p in "${pictures[@]}"; do
    [[ "$(identify -format %m "$source_dir/$p" 2>/dev/null)" == PNG ]] || fail "no picture $p"
done
# The installed program's command line: --help and --version on standard output with status 0,
# an unknown option the usage on standard error with status 2; none of them opens a window.
game="$WORK/root/usr/bin/zorbel2"
export XDG_CONFIG_HOME="$WORK/config"
help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$game" --help) || fail "--help exited with $?"
for option in --scale --window --fullscreen --help --version; do
    grep -q -- "^  $option " <<<"$help" || fail "--help has no line for $option: $help"
done
version=$("$game" --version) || fail "--version exited with $?"
[[ "$version" == "zorbel2 $ZORBEL_VERSION" ]] || fail "--version printed '$version'"
status=0
"$game" --window --bogus >"$WORK/out" 2>"$WORK/err" || status=$?
((status == 2)) || fail "an unknown option exited with $status"
[[ ! -s "$WORK/out" ]] || fail "an unknown option printed on standard output"
grep -q -- "'--bogus'" "$WORK/err" && grep -qxF -- "$(head -n 1 <<<"$help")" "$WORK/err" ||
    fail "an unknown option's message: $(cat "$WORK/err")"
echo "install layout: ok"
