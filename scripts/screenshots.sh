#!/usr/bin/env bash
# Makes the pictures in docs/: Velmoria under Wine on a private Xvfb display,
# driven through a first run, playing, compact mode, About and Credits, at
# 96 DPI and again at 144 DPI.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}" imagemagick
build_windows Release
windows=$BUILD_ROOT/windows
docs=$VELMORIA_ROOT/docs
mkdir -p "$docs"

unset DISPLAY
trap stop_services EXIT
start_xvfb
prefix=$BUILD_ROOT/screenshot-prefix
rm -rf "$prefix"
prepare_prefix "$prefix"
demo="$WINEPREFIX/drive_c/Velmoria Demo"
mkdir -p "$WINEPREFIX/drive_c/Velmoria" "$demo"
cp "$windows/Velmoria.exe" "$WINEPREFIX/drive_c/Velmoria/"
cp "$windows"/standins/*.EXE "$demo/"
# Named as sets name their files, so that Song Titles has something to show.
make_spc "$demo/vdt-01.spc" "Morning in Velmoria" "Velmoria Demo Tracks"
make_spc "$demo/vdt-02.spc" "Pip's Little March" "Velmoria Demo Tracks"
make_spc "$demo/vdt-03.spc" "Rainy Harbour" "Velmoria Demo Tracks"
make_spc "$demo/vdt-04.spc" "Crystal Caves" "Velmoria Demo Tracks"
make_spc "$demo/vdt-05.spc" "A Long Walk Through the Hills" "Velmoria Demo Tracks"
cd "$demo"

drive() { wine "$windows/demo_driver.exe" "$@" 2>/dev/null | tr -d '\r'; }
# A picture of one window, found by its title, with a small margin.
shot() {
    local name=$1 title=$2 left top width height
    read -r left top width height <<<"$(drive "rect:$title")"
    import -window root -crop "$((width + 8))x$((height + 8))+$((left - 4))+$((top - 4))" +repage "$docs/$name.png"
}
start() {
    wine 'C:\Velmoria\Velmoria.exe' >/dev/null 2>&1 &
}
quit() {
    drive command:Velmoria:1003 >/dev/null || true
    wineserver -w 2>/dev/null || true
}

# First run: the greeting, the dialog, and the main window with WinSPC, greyed.
start
drive box >/dev/null
shot first-run Velmoria
drive ok wait:'Locate SPC Player' sleep:800 >/dev/null
shot player-dialog 'Locate SPC Player'
drive select:'Locate SPC Player':2103:1 click:'Locate SPC Player':2104 ok wait:Velmoria sleep:400 >/dev/null
shot main-greyed Velmoria
quit

# SPCPlay: the main window, a song playing, compact mode, About and Credits.
printf 'C:\\Velmoria Demo\\SPCPLAY.EXE\r\n 0 \r\n' >"$WINEPREFIX/drive_c/Velmoria/Velmoria.ini"
start
drive wait:Velmoria sleep:400 >/dev/null
shot velmoria-main Velmoria
# The song details: the pointer resting on the 8.3-named song.
drive point:Velmoria:2003:4 sleep:1500 >/dev/null
read -r left top width height <<<"$(drive "rect:Velmoria")"
import -window root -crop "$((width + 260))x$((height + 90))+$((left - 4))+$((top - 4))" +repage "$docs/song-details.png"
drive point:Velmoria:2003:-1 sleep:200 >/dev/null
# Song Titles, then Play All: the titles in the list, the song, its place and
# the time left in the caption.
drive command:Velmoria:1008 sleep:800 select:Velmoria:2003:0 command:Velmoria:1009 wait:'1/5*' sleep:1500 >/dev/null
shot playing-through '1/5*'
drive click:'1/5*':2011 sleep:500 command:Velmoria:1008 sleep:300 >/dev/null
# SPCPlay plays hidden, so that a key typed into it cannot end the song; the
# caption says it runs.
drive select:Velmoria:2003:1 click:Velmoria:2009 wait:'[Running SPCPlay]' sleep:500 >/dev/null
shot playing '[Running SPCPlay]'
drive click:'[Running SPCPlay]':2011 sleep:500 command:Velmoria:1002 sleep:400 >/dev/null
shot compact Velmoria
drive command:Velmoria:1002 command:Velmoria:1004 wait:About sleep:400 >/dev/null
shot about About
drive click:About:2201 command:Velmoria:1005 wait:Credits sleep:400 >/dev/null
shot credits Credits
drive command:Credits:2 >/dev/null || true
wineserver -k

# A set, opened from the command line: its songs by title, its game in the tip.
make_demo_set "$demo/Harbour Nights.zip"
wine 'C:\Velmoria\Velmoria.exe' 'C:\Velmoria Demo\Harbour Nights.zip' >/dev/null 2>&1 &
drive wait:Velmoria sleep:600 command:Velmoria:1008 sleep:800 point:Velmoria:2002:2 sleep:1500 >/dev/null
read -r left top width height <<<"$(drive "rect:Velmoria")"
import -window root -crop "$((width + 8))x$((height + 8))+$((left - 4))+$((top - 4))" +repage "$docs/set.png"
wineserver -k

# The same at 144 DPI.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
start
drive wait:Velmoria sleep:400 >/dev/null
shot velmoria-main-144dpi Velmoria
drive command:Velmoria:1004 wait:About sleep:400 >/dev/null
shot about-144dpi About
wineserver -k
echo "== Pictures in $docs"
