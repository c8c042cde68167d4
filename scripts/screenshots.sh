#!/usr/bin/env bash
# Refreshes the README's screenshots from the real game: runs the end-to-end tests, which keep
# their screenshots in <build>/screenshots, picks one shot per screen by file name, trims the
# black around the screen's panel, scales it to at most 640 pixels wide into docs/screenshots/
# and rewrites the list of pictures in the README's "Screenshots" section.
#
#   scripts/screenshots.sh [build folder]      (default: build, as made by `cmake --preset default`)
#
# A shot named exactly after a screen wins; otherwise the first shot (by name) containing the
# screen's name is taken, so new end-to-end tests add pictures by naming their shots.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shots="$build/screenshots"
out=docs/screenshots

# Picture name, caption and the shot names that show the screen, in the order the README shows
# them.
screens=(
    "menu:Main menu:menu"
    "login:Login:login"
    "game:Single game:game"
    "death_match:Death Match:deathmatch death_match"
    "statistics:Statistics:statistics stats"
    "settings:Settings:settings skill"
    "controls:Controls:controls keys"
)

[[ -f "$build/CTestTestfile.cmake" ]] || {
    echo "No build in $build: run cmake --preset default && cmake --build --preset default first." >&2
    exit 1
}
rm -rf "$shots"
# A failing test still leaves the shots it took before it failed.
ctest --test-dir "$build" -L e2e --output-on-failure ||
    echo "Some end-to-end tests failed: the screens they did not reach have no picture." >&2

# The shot for a screen: one named exactly as a shot name of the screen, else the first (by
# name) that contains one.
pick() {
    local name
    for name in "$@"; do
        [[ -f "$shots/$name.png" ]] && echo "$shots/$name.png" && return
    done
    for name in "$@"; do
        local found
        found=$(find "$shots" -maxdepth 1 -name "*$name*.png" | LC_ALL=C sort | head -n1)
        [[ -n "$found" ]] && echo "$found" && return
    done
    return 0
}

mkdir -p "$out"
rm -f "$out"/*.png
list=""
for entry in "${screens[@]}"; do
    IFS=: read -r name caption patterns <<<"$entry"
    # shellcheck disable=SC2086 # the shot names are words
    src=$(pick $patterns)
    [[ -n "$src" ]] || continue
    # The screens are black around their centred panel: keep the panel with a small margin.
    convert "$src" -fuzz 2% -trim +repage -bordercolor black -border 12 -resize '640x>' \
        -strip -define png:exclude-chunks=date,time "$out/$name.png"
    list+="**$caption**"$'\n\n'"![$caption]($out/$name.png)"$'\n\n'
    echo "$caption: $src"
done

# Between the two markers the README lists what was made; the rest of the README is untouched.
begin='<!-- screenshots: begin -->'
end='<!-- screenshots: end -->'
if ! grep -qF "$begin" README.md || ! grep -qF "$end" README.md; then
    echo "README.md has no screenshot markers; pictures are in $out" >&2
    exit 0
fi
table="$list" awk -v begin="$begin" -v end="$end" '
    $0 == begin { print; printf "\n%s", ENVIRON["table"]; skip = 1; next }
    $0 == end { skip = 0 }
    !skip { print }
' README.md >README.md.new
mv README.md.new README.md
