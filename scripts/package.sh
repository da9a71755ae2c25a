#!/usr/bin/env bash
# Builds the release exe and writes dist/Velmoria-<version>-win64.zip: the
# program, a read-me for Windows users and the licences. The version is the
# one project() in CMakeLists.txt gives, as in the exe's version resource and
# the About window.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" zip
# A tree of its own, without tests, so that the test build keeps its settings.
BUILD_ROOT=$BUILD_ROOT/release
build_windows Release -DVELMORIA_TESTS=OFF
windows=$BUILD_ROOT/windows
version=$(sed -n 's/^#define VELMORIA_VERSION_TEXT "\(.*\)"$/\1/p' "$windows/generated/velmoria_version.h")
[ -n "$version" ] || { echo "no version in the build" >&2; exit 1; }

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
name=Velmoria-$version-win64
mkdir "$stage/$name"
cp "$windows/Velmoria.exe" "$stage/$name/"
# Notepad wants CRLF line ends.
sed "s/@VERSION@/$version/; s/\$/\r/" "$VELMORIA_ROOT/docs/README-windows.txt" >"$stage/$name/README.txt"
sed 's/$/\r/' "$VELMORIA_ROOT/LICENSE" >"$stage/$name/LICENSE.txt"
# zlib's inflate, 7-Zip's 7z decoder and UnRAR are linked in: their licences go with them.
sed 's/$/\r/' /usr/share/doc/libz-mingw-w64-dev/copyright >"$stage/$name/zlib-LICENSE.txt"
{
    echo "Velmoria's 7z decoder is 7-Zip's C code (C/7zArcIn.c, 7zDec.c, LzmaDec.c,"
    echo "Lzma2Dec.c, Ppmd7.c, Ppmd7Dec.c, Bcj2.c, Bra*.c, Delta.c, 7zCrc*.c, 7zBuf.c,"
    echo "7zStream.c, CpuArch.c), from Debian's 7zip source package. Each of these"
    echo "files states that it is in the public domain. 7-Zip's licence follows."
    echo
    cat "$SOURCES_DIR/7zip/DOC/License.txt"
} | sed 's/$/\r/' >"$stage/$name/7zip-LICENSE.txt"
# UnRAR's licence asks that its paragraph 2 be in the licence or the
# documentation; it is in its licence text, which goes whole.
{
    echo "Velmoria reads RAR sets with RARLAB's UnRAR, built into the exe from"
    echo "Debian's unrar-nonfree source package (in Debian's non-free section)."
    echo "It is used unchanged, but for two files built in place of its own"
    echo "(cmake/unrar/ in Velmoria's source) so that the exe imports no further DLLs."
    echo "UnRAR's licence follows."
    echo
    cat "$SOURCES_DIR/unrar/license.txt"
} | sed 's/$/\r/' >"$stage/$name/UnRAR-LICENSE.txt"

mkdir -p "$VELMORIA_ROOT/dist"
rm -f "$VELMORIA_ROOT/dist/$name.zip"
(cd "$stage" && zip -q -X -r "$VELMORIA_ROOT/dist/$name.zip" "$name")
echo "dist/$name.zip"
