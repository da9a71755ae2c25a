#!/usr/bin/env bash
# Builds Velmoria and runs it under Wine with a demo to play: a folder of SPC
# songs made by the project and stand-ins for the three players (programs of
# our own that show what they were asked to play). The program is installed
# in C:\Velmoria and started in C:\Velmoria Demo, so that a first run finds the
# players in its dialog and the main window lists the songs.
#
# With a display ($DISPLAY), the window opens there. Without one, Velmoria
# runs on a private Xvfb display, a first run is answered (the first player
# is saved), and a screenshot of the main window is saved.
#
#   scripts/run.sh           run (settings kept between runs, as on Windows)
#   scripts/run.sh --fresh   forget the settings first: a first run again
set -euo pipefail
source "$(dirname "$0")/common.sh"

fresh=false
[ "${1:-}" = "--fresh" ] && fresh=true

headless=false
[ -z "${DISPLAY:-}" ] && headless=true
packages=("${BUILD_PACKAGES[@]}" "${WINE_PACKAGES[@]}")
$headless && packages+=(imagemagick)
ensure_packages "${packages[@]}"

# The program, the stand-ins and the demo driver only: the tests and
# benchmarks are built by the commands that run them.
WINDOWS_TARGET=demo build_windows Release
windows=$BUILD_ROOT/windows

trap stop_services EXIT
$headless && start_xvfb
prepare_prefix "$BUILD_ROOT/run-prefix"

program_dir="$WINEPREFIX/drive_c/Velmoria"
demo_dir="$WINEPREFIX/drive_c/Velmoria Demo"
mkdir -p "$program_dir" "$demo_dir"
$fresh && rm -f "$program_dir/Velmoria.ini"
cp "$windows/Velmoria.exe" "$program_dir/"
cp "$windows"/standins/*.EXE "$demo_dir/"
# Today's SPCPLAY.EXE has the classic one's name: it waits in a folder of its own.
mkdir -p "$demo_dir/SNES SPC700 Player"
cp "$windows"/standins/current/SPCPLAY.EXE "$demo_dir/SNES SPC700 Player/"

game="Velmoria Demo Tracks"
make_spc "$demo_dir/Morning in Velmoria.spc" "Morning in Velmoria" "$game"
make_spc "$demo_dir/pips_march.spc" "Pip's Little March" "$game"
make_spc "$demo_dir/RAINY.SPC" "Rainy Harbour" "$game"
make_spc "$demo_dir/Crystal Caves.Spc" "Crystal Caves" "$game"
make_spc "$demo_dir/credits.spc" "Credits Roll" "$game"
make_demo_set "$demo_dir/Harbour Nights.zip"
make_demo_set "$demo_dir/Harbour Nights.rsn"

cd "$demo_dir"
if ! $headless; then
    echo "== Velmoria runs on $DISPLAY (settings: $program_dir/Velmoria.ini)"
    wine 'C:\Velmoria\Velmoria.exe'
    exit 0
fi

shots=$BUILD_ROOT/screenshots
mkdir -p "$shots"
wine 'C:\Velmoria\Velmoria.exe' >/dev/null 2>&1 &
velmoria=$!
if ! rect=$(wine "$windows/demo_driver.exe" first-run sleep:500 rect:Velmoria | tr -d '\r'); then
    echo "Velmoria's main window did not appear" >&2
    exit 1
fi
read -r left top width height <<<"$rect"
import -window root -crop "${width}x${height}+${left}+${top}" +repage "$shots/velmoria-main.png"
echo "== No display here: Velmoria ran on a private Xvfb display."
echo "   Screenshot of the main window: $shots/velmoria-main.png"
kill "$velmoria" 2>/dev/null || true
