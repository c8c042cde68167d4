#!/usr/bin/env bash
# Cross-builds the libraries the Windows build links (SDL2, FreeType, SDL2_ttf, SDL2_mixer,
# libsodium, ENet) from Debian's own source packages into a prefix that later runs reuse:
#
#   scripts/windows-deps.sh [PREFIX]      (default: $ZORBEL_WINDOWS_PREFIX or ~/.cache/zorbel2-windows)
#
# The sources come through `apt-get source` with a private apt configuration under PREFIX (the
# machine's own Debian entries turned into source entries); the system's apt setup is not touched.
# Each library leaves a stamp file naming its source version, so a finished library is not built
# again. ENet is optional: where its source cannot be had, the game is built without network
# play (CMakeLists.txt) and the next run tries again. Music plays through SDL_mixer's native MIDI
# output (the system's synthesiser), so FluidSynth and its dependencies are not built.
# GoogleTest, for the test executables, is built from the sources Debian's libgtest-dev installs
# in /usr/src/googletest.
set -euo pipefail

prefix=${1:-${ZORBEL_WINDOWS_PREFIX:-$HOME/.cache/zorbel2-windows}}
root=$(cd "$(dirname "$0")/.." && pwd)
host=x86_64-w64-mingw32
jobs=$(nproc)
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
work=$prefix/.build
apt=$prefix/.apt
mkdir -p "$work" "$apt"/{etc/sources.list.d,state/lists/partial,cache/archives/partial} "$prefix/stamps"

# Debian's source packages, the versions this machine's apt lists offer.
packages=(libsdl2 freetype libsdl2-ttf libsdl2-mixer libsodium enet)

aptopts=(-o "Dir::State=$apt/state" -o "Dir::Cache=$apt/cache"
    -o "Dir::Etc::SourceList=$apt/etc/sources.list" -o "Dir::Etc::SourceParts=$apt/etc/sources.list.d"
    -o "Debug::NoLocking=1" -o "APT::Sandbox::User=root" -o "Acquire::Languages=none")

private_sources() {
    : >"$apt/etc/sources.list"
    rm -f "$apt"/etc/sources.list.d/*
    local f
    if [[ -f /etc/apt/sources.list ]]; then
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >>"$apt/etc/sources.list"
    fi
    for f in /etc/apt/sources.list.d/*.list; do
        [[ -f "$f" ]] || continue
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$apt/etc/sources.list"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [[ -f "$f" ]] || continue
        sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt/etc/sources.list.d/$(basename "$f")"
    done
}

# The source version apt would fetch for a package, from the private lists.
source_version() {
    apt-cache "${aptopts[@]}" showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -1
}

log() { printf 'windows-deps: %s\n' "$*" >&2; }

run_logged() {
    local name=$1
    shift
    if ! "$@" >>"$work/$name.log" 2>&1; then
        log "$name failed; the end of $work/$name.log:"
        tail -40 "$work/$name.log" >&2
        exit 1
    fi
}

need_build=()
versions=()
listed=false
for p in "${packages[@]}"; do
    if [[ -f "$prefix/stamps/$p" ]]; then
        continue
    fi
    if ! $listed; then
        private_sources
        log "reading Debian's source lists"
        run_logged apt-update apt-get "${aptopts[@]}" update
        listed=true
    fi
    need_build+=("$p")
done
gtest_version=$(dpkg-query -W -f='${Version}' libgtest-dev 2>/dev/null || true)
gtest_ready=false
if [[ -z "$gtest_version" ]] || [[ "$(cat "$prefix/stamps/googletest" 2>/dev/null)" == "$gtest_version" ]]; then
    gtest_ready=true
fi
if [[ ${#need_build[@]} -eq 0 ]] && $gtest_ready; then
    exit 0
fi

export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=
cmake_cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
    -DZORBEL_WINDOWS_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=ON)
if command -v ccache >/dev/null; then
    cmake_cross+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Unpacks the package's source (with Debian's patches applied) and prints its folder.
fetch() {
    local p=$1 version dir
    version=$(source_version "$p")
    [[ -n "$version" ]] || { log "no source package $p in Debian's lists"; exit 1; }
    rm -rf "$work/$p" && mkdir -p "$work/$p"
    (cd "$work/$p" && run_logged "$p" apt-get "${aptopts[@]}" source "$p=$version")
    dir=$(find "$work/$p" -mindepth 1 -maxdepth 1 -type d | head -1)
    printf '%s %s\n' "$version" "$dir"
}

cmake_build() {
    local p=$1 src=$2
    shift 2
    run_logged "$p" cmake -S "$src" -B "$work/$p/build" "${cmake_cross[@]}" "$@"
    run_logged "$p" cmake --build "$work/$p/build" -j"$jobs"
    run_logged "$p" cmake --install "$work/$p/build"
}

wanted() {
    local p
    if [[ "$1" == googletest ]]; then
        ! $gtest_ready
        return
    fi
    for p in "${need_build[@]}"; do
        [[ "$p" == "$1" ]] && return 0
    done
    return 1
}

build_package() {
    local p=$1 version src
    log "building $p for Windows"
    if [[ "$p" == googletest ]]; then
        version=$gtest_version
        src=/usr/src/googletest
    elif ! read -r version src < <(fetch "$p"); then
        [[ "$p" == enet ]] || exit 1
        log "enet's source could not be fetched: the Windows build goes without network play"
        return 0
    fi
    case $p in
    libsdl2)
        cmake_build "$p" "$src" -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL_TESTS=OFF
        ;;
    freetype)
        cmake_build "$p" "$src" -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
            -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
        ;;
    libsdl2-ttf)
        cmake_build "$p" "$src" -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF -DSDL2TTF_SAMPLES=OFF
        ;;
    libsdl2-mixer)
        # WAVE for the sounds, native MIDI (the system's synthesiser) for the tune.
        cmake_build "$p" "$src" -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_SAMPLES=OFF \
            -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_OPUS=OFF \
            -DSDL2MIXER_VORBIS= -DSDL2MIXER_MIDI=ON -DSDL2MIXER_MIDI_NATIVE=ON \
            -DSDL2MIXER_MIDI_FLUIDSYNTH=OFF -DSDL2MIXER_MIDI_TIMIDITY=OFF -DSDL2MIXER_WAVE=ON
        ;;
    libsodium)
        # Debian's source is the release's git tree, without the generated configure script.
        [[ -x "$src/configure" ]] || (cd "$src" && run_logged "$p" autoreconf -fi)
        (cd "$src" && run_logged "$p" ./configure --host=$host --prefix="$prefix" \
            --disable-static --enable-shared --disable-dependency-tracking \
            CC="$host-gcc-posix")
        run_logged "$p" make -C "$src" -j"$jobs"
        run_logged "$p" make -C "$src" install
        ;;
    enet)
        # Its few C files compiled straight into a static library (no DLL to ship); it needs
        # Winsock and the multimedia timer.
        mkdir -p "$work/$p/obj" "$prefix/include/enet" "$prefix/lib/pkgconfig"
        local c
        for c in "$src"/*.c; do
            run_logged "$p" "$host-gcc-posix" -O2 -I"$src/include" -c "$c" \
                -o "$work/$p/obj/$(basename "$c" .c).o"
        done
        run_logged "$p" "$host-ar" rcs "$prefix/lib/libenet.a" "$work/$p/obj"/*.o
        cp "$src"/include/enet/*.h "$prefix/include/enet/"
        printf '%s\n' "prefix=$prefix" 'Name: libenet' 'Description: ENet, built for Windows' \
            "Version: ${version%%+*}" 'Cflags: -I${prefix}/include' \
            'Libs: -L${prefix}/lib -lenet -lws2_32 -lwinmm' >"$prefix/lib/pkgconfig/libenet.pc"
        ;;
    googletest)
        cmake_build "$p" "$src" -DBUILD_SHARED_LIBS=OFF -DINSTALL_GTEST=ON -DBUILD_GMOCK=ON
        ;;
    esac
    echo "$version" >"$prefix/stamps/$p"
    rm -rf "${work:?}/$p"
}

# The libraries that need none of the others are built side by side, so that one's configure
# step (a long row of single compiler runs) overlaps another's compiling; then the two that
# build on SDL2 and FreeType.
build_round() {
    local p pids=() failed=0
    for p in "$@"; do
        if wanted "$p"; then
            build_package "$p" &
            pids+=($!)
        fi
    done
    for p in "${pids[@]}"; do
        wait "$p" || failed=1
    done
    ((failed == 0)) || exit 1
}
build_round libsdl2 freetype libsodium googletest enet
build_round libsdl2-ttf libsdl2-mixer
log "libraries ready in $prefix"
