#!/usr/bin/env bash
# The Debian package: built by cpack from the install rules, its control fields and files
# checked, unpacked into a scratch root and played from there under Xvfb: the main menu, a Death
# Match showing the worm pictures read from the package's data folder, and out with Escape.
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/layout.sh"

cpack -G DEB -B "$WORK/pkg" --config "$ZORBEL_BUILD_DIR/CPackConfig.cmake" >"$WORK/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$WORK/cpack.log")"
debs=("$WORK"/pkg/*.deb)
[[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || fail "cpack made ${#debs[@]} packages"
deb=${debs[0]}

[[ "$(dpkg-deb -f "$deb" Package)" == zorbel2 ]] || fail "package name $(dpkg-deb -f "$deb" Package)"
[[ "$(dpkg-deb -f "$deb" Section)" == games ]] || fail "section $(dpkg-deb -f "$deb" Section)"
depends=$(dpkg-deb -f "$deb" Depends)
for need in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libsdl2-mixer-2.0-0 libfontconfig1 fontconfig \
    fonts-comic-neue libsodium23 libenet7 "timgm6mb-soundfont | sf2-soundfont-gm"; do
    # Whole names only: libsdl2-2.0-0 must not be satisfied by a longer name around it.
    grep -Eq "(^|, )${need}( \(|,|$)" <<<"$depends" || fail "Depends lacks '$need': $depends"
done
# Files belong to root, whoever built the package.
owners=$(dpkg-deb -c "$deb" | awk '{print $2}' | sort -u)
[[ "$owners" == "root/root" ]] || fail "file owners in the package: $owners"

dpkg-deb -x "$deb" "$WORK/root"
check_layout "$WORK/root/usr" "$ZORBEL_BUILD_DIR"

# The unpacked game lies under a scratch folder, not /usr: it finds its data beside its bin
# folder wherever the tree is.
export ZORBEL_BIN="$WORK/root/usr/bin/zorbel2"
start_x
start_game
read -r px py < <(panel_origin 545 297)
# On a busy machine the first frame may come late: look again for a few seconds.
for _ in $(seq 10); do
    shot install_menu
    yellow=$(count_near install_menu $((px + 216)) $((py + 32)) 305 177 "255,255,0")
    ((yellow > 500)) && break
done
((yellow > 500)) || fail "no main menu: $yellow yellow pixels in the title"

# Death Match needs no login; its two worms are the pictures b0.bmp and b2.bmp.
xdotool mousemove $((px + 46)) $((py + 77)) click 1
sleep 0.3
xdotool mousemove $((SCREEN_W / 2)) $((SCREEN_H - 5))
# Pixels of a shot close to one colour: closer than count_near, which would take the yellow
# target for the yellow-green worm.
worm_pixels() {
    convert "$WORK/$1.png" -fuzz 12% -fill "rgb(1,2,3)" +opaque "rgb($2)" -fill white \
        -opaque "rgb($2)" -fill black -opaque "rgb(1,2,3)" -colorspace gray \
        -format '%[fx:round(mean*w*h)]' info:
}
# The bout starts after a short wait, and a worm that dies is gone for a moment: look a few times.
for _ in $(seq 10); do
    shot install_death_match 0.3
    player1=$(worm_pixels install_death_match "172,232,40")
    player2=$(worm_pixels install_death_match "52,108,255")
    ((player1 >= 15 && player2 >= 15)) && break
done
((player1 >= 15 && player2 >= 15)) ||
    fail "worm pictures not shown: $player1 and $player2 pixels of the players' colours"

key Escape
sleep 0.3
key Escape
rc=$(wait_exit 50)
[[ "$rc" == "0" ]] || fail "exit status $rc"
echo "package: ok"
