#!/usr/bin/env python3
"""Writes the sets of songs the tests open: zip archives made by Python's own
zipfile and solid 7z archives made by Debian's 7zz, holding tagged SPC songs,
and broken ones of each kind the readers must refuse.
Usage: make_sets.py OUTPUT_FOLDER"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile
import zlib


def song(title, game="Green Game", seconds="1"):
    data = bytearray(0x10200)
    data[0:37] = b"SNES-SPC700 Sound File Data v0.30\x1a\x1a\x1a\x1e"
    data[0x2E:0x2E + len(title)] = title.encode()
    data[0x4E:0x4E + len(game)] = game.encode()
    data[0xA9:0xA9 + len(seconds)] = seconds.encode()
    data[0x100:0x200] = bytes(range(256))  # sound data, compared byte for byte
    return bytes(data)


def write(path, entries, method=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(path, "w", method) as archive:
        for name, data in entries:
            archive.writestr(name, data)


def seven_zip(path, entries, *switches):
    """A 7z set by 7-Zip itself: solid, LZMA2 unless switches say otherwise."""
    with tempfile.TemporaryDirectory() as folder:
        for name, data in entries:
            os.makedirs(os.path.dirname(os.path.join(folder, name)) or folder, exist_ok=True)
            open(os.path.join(folder, name), "wb").write(data)
        if os.path.exists(path):
            os.remove(path)
        subprocess.run([shutil.which("7zz") or "7z", "a", "-t7z", "-ms=on", "-bso0", "-bsp0", *switches,
                        os.path.abspath(path), "."], cwd=folder, check=True)


def patch(path, out, change):
    data = bytearray(open(path, "rb").read())
    change(data)
    open(out, "wb").write(bytes(data))


def main(folder):
    os.makedirs(folder, exist_ok=True)
    at = lambda name: os.path.join(folder, name)
    songs = [("info.txt", b"Green Game\r\nRipped by nobody\r\n"), ("01 First.spc", song("First")),
             ("Disc 2/02 Second.spc", song("Second")), ("03 Third.sp1", song("Third")), ("notes.txt", b"not a song")]
    write(at("Green Game.zip"), songs)
    os.makedirs(at("expected"), exist_ok=True)  # a packed song as it is, to compare with what players get
    open(at("expected/01 First.spc"), "wb").write(songs[1][1])
    write(at("Stored.rsn"), songs[1:3], zipfile.ZIP_STORED)  # told by its bytes, whatever its name
    # Names no path may be built from: shown as text at the set's top.
    write(at("Traversal.zip"), [("../../escaped.spc", song("Up")), ("C:/Windows/drive.spc", song("Drive")),
                                ("tab\there.spc", song("Tab")), ("Disc/../dots.spc", song("Dots"))])
    whole = open(at("Green Game.zip"), "rb").read()
    open(at("Damaged.zip"), "wb").write(whole[: len(whole) // 2])
    open(at("Fake.zip"), "wb").write(b"Only its name is an archive's.\r\n")
    # Encrypted: the flag set in the local and the central header of each file.
    def lock(data):
        for signature, offset in ((b"PK\x03\x04", 6), (b"PK\x01\x02", 8)):
            start = 0
            while (start := data.find(signature, start)) >= 0:
                data[start + offset] |= 1
                start += 4
    patch(at("Green Game.zip"), at("Locked.zip"), lock)
    patch(at("Green Game.zip"), at("Part.zip"), lambda data: data.__setitem__(slice(0, 0), b"PK\x07\x08"))
    # Bombs: a file larger than a song can be, more than the limit in all,
    # and one whose directory lies about its size (never decoded past it).
    write(at("Large.zip"), [("large.spc", bytes(17 << 20))])
    write(at("Many.zip"), [("%02d.spc" % n, bytes(15 << 20)) for n in range(18)])
    write(at("Liar.zip"), [("liar.spc", bytes(4 << 20))])
    def lie(data):
        entry = data.find(b"PK\x01\x02")
        data[entry + 24:entry + 28] = (70000).to_bytes(4, "little")
    patch(at("Liar.zip"), at("Liar.zip"), lie)

    seven_zip(at("Green Game.7z"), songs)
    seven_zip(at("PPMd.7z"), songs[1:3], "-m0=PPMd")
    seven_zip(at("Locked.7z"), songs[1:2], "-pSecret")
    seven_zip(at("Hidden.7z"), songs[1:2], "-pSecret", "-mhe=on")
    whole = open(at("Green Game.7z"), "rb").read()
    open(at("Damaged.7z"), "wb").write(whole[: len(whole) - 40])
    seven_zip(at("Large.7z"), [("large.spc", bytes(17 << 20))])
    # For the benchmark: a game's 24 songs in one solid block, as sets come.
    seven_zip(at("Bench.7z"), [("%02d Song.spc" % n, song("Song %d" % n)) for n in range(1, 25)])


if __name__ == "__main__":
    main(sys.argv[1])
