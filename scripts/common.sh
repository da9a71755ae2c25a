# Shared by the project's commands (test.sh, run.sh, bench.sh); sourced, not run.
# Installs what is missing from Debian's packages, builds the trees, and starts
# the Xvfb display and Wine prefix a command needs. Everything started here is
# stopped by stop_services, which touches only what this script started.

VELMORIA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_ROOT=${VELMORIA_BUILD_ROOT:-$VELMORIA_ROOT/build}
JOBS=${VELMORIA_JOBS:-2}

export LANG=C.UTF-8 LC_ALL=C.UTF-8
# Quiet Wine, but keep missing-DLL errors; no Mono, Gecko or menu entries.
export WINEDEBUG=-all,err+module
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages among "$@" that are not installed yet.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "== Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

BUILD_PACKAGES=(cmake ninja-build g++ googletest g++-mingw-w64-x86-64-posix python3 zlib1g-dev libz-mingw-w64-dev
    7zip xz-utils debian-archive-keyring)
# The decoders built from Debian's source packages, fetched by fetch_sources.
SOURCES_DIR=$VELMORIA_ROOT/build/sources
WINE_PACKAGES=(wine wine64 fonts-wine xvfb)

# The decoders built from Debian's source packages, into build/sources: 7-Zip's
# C decoder of 7z (7zip, main), RARLAB's UnRAR (unrar-nonfree, non-free), and
# libarchive's RAR test archives (libarchive, main; read by the tests only).
# They are fetched once with a sources list of our own, so that the machine's
# apt setup is neither read for them nor changed.
fetch_sources() {
    [ -f "$SOURCES_DIR/7zip/C/7zDec.c" ] && [ -f "$SOURCES_DIR/unrar/dll.hpp" ] &&
        [ -d "$SOURCES_DIR/libarchive/libarchive/test" ] && return 0
    local apt=$SOURCES_DIR/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/parts"
    cat >"$apt/parts/velmoria.sources" <<'EOF_SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main non-free
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://security.debian.org/debian-security
Suites: bookworm-security
Components: main non-free
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF_SOURCES
    local options=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/parts"
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache")
    echo "== Fetching the decoders' sources (Debian's 7zip, unrar-nonfree and libarchive)"
    apt-get -qq "${options[@]}" update
    unpack_source 7zip 7zip
    unpack_source unrar-nonfree unrar
    unpack_source libarchive libarchive
}

# Fetches source package $1 (its upstream tarball alone) and unpacks it into
# $SOURCES_DIR/$2, whole or not at all.
unpack_source() {
    local apt=$SOURCES_DIR/apt package=$1 into=$SOURCES_DIR/$2
    [ -d "$into" ] && return 0
    rm -f "$apt/${package}"_*
    (cd "$apt" && apt-get -qq "${options[@]}" source --download-only "$package" 2>/dev/null)
    rm -rf "$into.new"
    mkdir -p "$into.new"
    local tarball
    tarball=$(ls "$apt/${package}"_*.orig.tar.* | grep -v '\.asc$')
    tar -xf "$tarball" -C "$into.new" --strip-components=1 || return 1
    mv "$into.new" "$into"
}

# The Windows tree, cross-compiled with mingw-w64; further arguments go to
# CMake. WINDOWS_TARGET, when set, builds that target alone.
build_windows() {
    local type=${1:-Release}
    shift || true
    fetch_sources
    cmake -S "$VELMORIA_ROOT" -B "$BUILD_ROOT/windows" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$VELMORIA_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    cmake --build "$BUILD_ROOT/windows" -j "$JOBS" ${WINDOWS_TARGET:+--target "$WINDOWS_TARGET"}
}

XVFB_PID=
SERVICES_DIR=
OWN_PREFIX=

# Starts a private Xvfb display; it picks a free display number itself.
start_xvfb() {
    SERVICES_DIR=${SERVICES_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/velmoria.XXXXXX")}
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$SERVICES_DIR/display" 2>/dev/null &
    XVFB_PID=$!
    local tries=0
    while [ ! -s "$SERVICES_DIR/display" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
            echo "Xvfb did not start" >&2
            return 1
        fi
        sleep 0.1
    done
    export DISPLAY=":$(head -n 1 "$SERVICES_DIR/display")"
}

# Makes (or reuses) a Wine prefix, ready for Velmoria: Wine's own fonts in
# its Fonts folder, where this Wine build looks for them, and no window
# manager emulation, so that windows are destroyed at once.
prepare_prefix() {
    export WINEPREFIX=$1
    OWN_PREFIX=$1
    if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
        mkdir -p "$WINEPREFIX"
        # wineboot's exit status is unreliable; the prefix's folders tell.
        wineboot --init >/dev/null 2>&1 || true
        if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
            echo "Wine could not create the prefix $WINEPREFIX" >&2
            return 1
        fi
    fi
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A crash prints its backtrace and ends the program, with no dialog waiting for a click.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # Names that begin with a dot are ordinary names on Windows, not hidden ones.
    wine reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null 2>&1
}

MOUNTED=()

# Drives for the tests of what only a drive shows: V: is a folder of the
# tests' own (a drive root), W: a full disk, X: a read-only folder holding a
# settings file and an empty folder. W: and X: need mount rights; without them those tests skip.
prepare_test_drives() {
    local drives="$WINEPREFIX/drive_c" devices="$WINEPREFIX/dosdevices"
    mkdir -p "$drives/velmoria-v" "$drives/velmoria-w" "$drives/velmoria-x"
    ln -sfn "$drives/velmoria-v" "$devices/v:"
    if as_root mount -t tmpfs -o size=64k velmoria-full "$drives/velmoria-w" 2>/dev/null; then
        MOUNTED+=("$drives/velmoria-w")
        ln -sfn "$drives/velmoria-w" "$devices/w:"
    fi
    # A temporary folder where another user planted a link of the form of
    # Velmoria's own folders, to a music folder.
    mkdir -p "$drives/velmoria-planted" "$drives/velmoria-planted-music"
    ln -sfn "$drives/velmoria-planted-music" "$drives/velmoria-planted/Velmoria-songs-0000cafe"
    local source="$SERVICES_DIR/read-only"
    mkdir -p "$source"
    printf 'C:\\P\\WINSPC.EXE\r\n 1 \r\n' >"$source/Velmoria.ini"
    mkdir -p "$source/bare"  # a read-only program folder without settings
    if as_root mount --bind "$source" "$drives/velmoria-x" 2>/dev/null; then
        MOUNTED+=("$drives/velmoria-x")
        if as_root mount -o remount,ro,bind "$drives/velmoria-x" 2>/dev/null; then
            ln -sfn "$drives/velmoria-x" "$devices/x:"
        fi
    fi
}

# An SPC file for the demo: the signature, a sign that an ID666 tag follows,
# the tag's song, game and artist, a play length of two minutes and a
# ten-second fade, and 64 KiB of silent sound RAM.
make_spc() {
    local file=$1 song=$2 game=$3
    printf 'SNES-SPC700 Sound File Data v0.30\x1a\x1a\x1a\x1e' >"$file"
    truncate -s $((0x10200)) "$file"
    printf '%s' "$song" | dd of="$file" bs=1 seek=$((0x2E)) conv=notrunc status=none
    printf '%s' "$game" | dd of="$file" bs=1 seek=$((0x4E)) conv=notrunc status=none
    printf '120' | dd of="$file" bs=1 seek=$((0xA9)) conv=notrunc status=none
    printf '10000' | dd of="$file" bs=1 seek=$((0xAC)) conv=notrunc status=none
    printf 'Velmoria project' | dd of="$file" bs=1 seek=$((0xB1)) conv=notrunc status=none
}

# The fuzzers as name:seeds:longest input. Each reader gets inputs as long
# as it reads: the tag reader 256 header bytes and a 16 KiB extended tag; the
# set reader starts from the tests' own small sets (make_set_seeds).
FUZZERS=(settings:"$VELMORIA_ROOT/tests/fuzz/seeds":4096 spc_tag:"$VELMORIA_ROOT/tests/fuzz/spc_seeds":16640
    archive:"$BUILD_ROOT/fuzz/set_seeds":65536)
make_set_seeds() {
    python3 "$VELMORIA_ROOT/tests/sets/make_sets.py" "$1/sets" "$SOURCES_DIR/libarchive/libarchive/test"
    mkdir -p "$1/set_seeds"
    find "$1/sets" -type f -size -64k -exec cp {} "$1/set_seeds/" \;
}

# A small set for the demo, packed the way listeners get them (a zip, or a
# RAR named .rsn), with its game's name in info.txt; it opens like a folder.
make_demo_set() {
    local set=$1 songs
    songs=$(mktemp -d "${TMPDIR:-/tmp}/velmoria-set.XXXXXX")
    make_spc "$songs/01 Harbour Lights.spc" "Harbour Lights" "Harbour Nights"
    make_spc "$songs/02 Fog Bell.spc" "Fog Bell" "Harbour Nights"
    make_spc "$songs/03 Last Ferry.spc" "Last Ferry" "Harbour Nights"
    printf 'Harbour Nights\r\nA demo set\r\n' >"$songs/info.txt"
    rm -f "$set"
    # Zipped, or as a RAR (.rsn) by the tests' own writer of stored RAR archives.
    python3 - "$set" "$songs" "$VELMORIA_ROOT/tests/sets" <<'EOF_PY'
import os, sys, zipfile
sys.path.insert(0, sys.argv[3])
from make_sets import rar
names = sorted(os.listdir(sys.argv[2]))
if sys.argv[1].lower().endswith(".rsn"):
    rar(sys.argv[1], [(name, open(os.path.join(sys.argv[2], name), "rb").read()) for name in names])
else:
    with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as packed:
        for name in names:
            packed.write(os.path.join(sys.argv[2], name), name)
EOF_PY
    rm -rf "$songs"
}

stop_services() {
    if [ -n "$OWN_PREFIX" ]; then
        WINEPREFIX=$OWN_PREFIX wineserver -k 2>/dev/null || true
    fi
    local mount
    for mount in "${MOUNTED[@]}"; do as_root umount "$mount" 2>/dev/null || true; done
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    if [ -n "$SERVICES_DIR" ]; then rm -rf "$SERVICES_DIR"; fi
}
