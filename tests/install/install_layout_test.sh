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
# The file type as a desktop sees it once the package's trigger has built the database: a replay
# is known by its extension and, under any name, by its first bytes.
cp -r "$WORK/root/usr/share" "$WORK/share"
XDG_DATA_DIRS="$WORK/share" update-mime-database "$WORK/share/mime" ||
    fail "update-mime-database refused the file type"
printf 'ZORBEL2R\x01\x00' >"$WORK/game.zr2"
cp "$WORK/game.zr2" "$WORK/sent-by-a-friend"
for f in game.zr2 sent-by-a-friend; do
    type=$(XDG_DATA_HOME="$WORK/none" XDG_DATA_DIRS="$WORK/share" \
        gio info -a standard::content-type "$WORK/$f" | sed -n 's/^ *standard::content-type: //p')
    [[ "$type" == application/x-zorbel2-replay ]] || fail "$f is taken for '$type'"
done
# The software centre shows the README's pictures: each one named in the metainfo is committed.
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
mapfile -t pictures < <(grep -o 'main/docs/screenshots/[^<]*' \
    "$WORK/root/usr/share/metainfo/$APP_ID.metainfo.xml" | sed 's|^main/||')
((${#pictures[@]} > 0)) || fail "metainfo shows no screenshot"
for p in "${pictures[@]}"; do
    [[ "$(identify -format %m "$source_dir/$p" 2>/dev/null)" == PNG ]] || fail "no picture $p"
done
# --help (a line for each option) and --version answer on stdout with 0, an unknown option with
# the usage on stderr, each line under the program's name, and 2, all without a window.
game="$WORK/root/usr/bin/zorbel2"
help=$(env -u DISPLAY XDG_CONFIG_HOME="$WORK" "$game" --help) &&
    [[ $(grep -c '^  --' <<<"$help") == 8 ]] || fail "--help: $help"
[[ "$("$game" --version)" == "zorbel2 $ZORBEL_VERSION" ]] || fail "--version: $("$game" --version)"
status=0 && "$game" --window --bogus 2>"$WORK/err" || status=$?
((status == 2)) && grep -qxF -- "zorbel2: $(head -n 1 <<<"$help")" "$WORK/err" &&
    ! grep -qv '^zorbel2: ' "$WORK/err" || fail "--bogus: $status: $(cat "$WORK/err")"
echo "install layout: ok"
