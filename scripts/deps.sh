#!/usr/bin/env bash
# Installs the Debian packages the game needs to build and run (and, with --test, to test).
# As root it runs apt-get; otherwise it prints the exact command to run.
set -euo pipefail

packages=(build-essential cmake pkgconf
    libsdl2-dev libsdl2-ttf-dev libsdl2-mixer-dev libfontconfig-dev fontconfig fonts-comic-neue
    libsodium-dev libenet-dev zlib1g-dev timgm6mb-soundfont libfluidsynth-dev)
if [[ "${1:-}" == "--windows" ]]; then
    # The Windows cross-build (scripts/windows.sh) and its tests under Wine; the Windows libraries
    # themselves are built from Debian's source packages, which apt-get source unpacks.
    packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools ninja-build
        dpkg-dev autoconf automake libtool libgtest-dev icoutils nsis zip unzip wine wine64 xvfb xauth xdotool imagemagick
        fonts-comic-neue)
elif [[ "${1:-}" == "--test" ]]; then
    packages+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool imagemagick
        clang libclang-rt-14-dev desktop-file-utils appstream shared-mime-info libglib2.0-bin dpkg-dev
        fakeroot locales man-db file x11-utils
        pulseaudio pulseaudio-utils gdb
        weston libgl1-mesa-dri)
fi

# The number texts are tested under a locale whose decimal mark is a comma as well.
need_locale() {
    [[ "${1:-}" == "--test" ]] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'
}

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [[ ${#missing[@]} -eq 0 ]] && ! need_locale "${1:-}"; then
    exit 0
fi

line="apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
need_locale "${1:-}" && line+=" && sed -i 's/^# *de_DE.UTF-8/de_DE.UTF-8/' /etc/locale.gen && locale-gen"
if [[ $(id -u) -ne 0 ]]; then
    echo "Missing packages. Run as root:" >&2
    echo "  $line" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
if [[ ${#missing[@]} -gt 0 ]] &&
    ! { apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}"; } \
        >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi
if need_locale "${1:-}"; then
    if ! { grep -q '^de_DE.UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >>/etc/locale.gen; } ||
        ! locale-gen >"$log" 2>&1; then
        cat "$log" >&2
        exit 1
    fi
fi
rm -f "$log"
