# A Wine prefix of the tests' own, made once per build folder and reused: its first start takes
# most of a minute. The system's Comic Sans MS is stood in for by Comic Neue, as on Linux.
wine_prefix() {
    export WINEPREFIX=$1
    export WINEDEBUG=-all
    # No Mono or Gecko installer dialogs; no sound card behind the native MIDI output.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv="
    if [[ ! -f "$WINEPREFIX/.ready" ]]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot --init >"$WINEPREFIX/wineboot.txt" 2>&1 || true
        wineserver -w
        local fonts="$WINEPREFIX/drive_c/windows/Fonts"
        if [[ ! -d "$fonts" ]]; then
            echo "wineboot made no Windows folder in $WINEPREFIX:" >&2
            tail -20 "$WINEPREFIX/wineboot.txt" >&2
            return 1
        fi
        cp /usr/share/fonts/opentype/comic-neue/ComicNeue-Regular.otf "$fonts/comic.ttf"
        cp /usr/share/fonts/opentype/comic-neue/ComicNeue-Bold.otf "$fonts/comicbd.ttf"
        touch "$WINEPREFIX/.ready"
    fi
}

# The Windows folder a Windows program sees as %APPDATA%, as a path here.
wine_appdata() {
    local users="$WINEPREFIX/drive_c/users/$(id -un)"
    echo "$users/AppData/Roaming"
}
