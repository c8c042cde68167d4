# A Wine prefix of the tests' own, made once per build folder and reused: its first start takes
# most of a minute. Like a fresh Windows without Comic Sans MS, its fonts folder holds no
# comic.ttf: Wine puts no font files there.
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
        if [[ ! -d "$(wine_fonts)" ]]; then
            echo "wineboot made no Windows folder in $WINEPREFIX:" >&2
            tail -20 "$WINEPREFIX/wineboot.txt" >&2
            return 1
        fi
        touch "$WINEPREFIX/.ready"
    fi
}

# The system's fonts folder (%WINDIR%\Fonts) of the prefix, as a path here.
wine_fonts() {
    echo "$WINEPREFIX/drive_c/windows/Fonts"
}

# The Windows folder a Windows program sees as %APPDATA%, as a path here.
wine_appdata() {
    local users="$WINEPREFIX/drive_c/users/$(id -un)"
    echo "$users/AppData/Roaming"
}
