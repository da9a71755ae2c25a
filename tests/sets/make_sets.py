#!/usr/bin/env python3
"""Writes the sets of songs the tests open: zip archives made by Python's own
zipfile, solid 7z archives made by Debian's 7zz and stored RAR archives
written here, holding tagged SPC songs, and broken ones of each kind the
readers must refuse; and it copies compressed RAR archives from libarchive's
test set, whose contents its tests give, beside them.
Usage: make_sets.py OUTPUT_FOLDER [LIBARCHIVE_TEST_FOLDER]"""
import binascii
import os
import random
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


def bench_songs(count=24):
    """A game's songs as sets hold them: one bank of samples shared by all
    (noise to a packer, as compressed sound is) and each song's own tracks,
    the rest of the sound memory empty. They pack about 13 to 1, as the
    largest collection of sets does."""
    noise = random.Random(1)
    bank = bytes(noise.getrandbits(8) for _ in range(24 << 10))
    songs = []
    for n in range(1, count + 1):
        data = bytearray(song("Song %d" % n, "Bench Game"))
        data[0x1000:0x1000 + len(bank)] = bank
        data[0x8000:0x9000] = bytes(noise.getrandbits(8) for _ in range(4 << 10))
        songs.append(("%02d Song.spc" % n, bytes(data)))
    return songs


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


def rar(path, entries, solid=False, sizes=None, first_part=False):
    """A RAR 3 archive of stored files, as an archiver writes one with -m0;
    sizes, when given, are the sizes its headers claim. The first part of a
    split set holds the start of its files, which go on in the next part."""
    def block(kind, flags, body, data=b""):
        header = bytes([kind]) + flags.to_bytes(2, "little") + (7 + len(body)).to_bytes(2, "little") + body
        return (zlib.crc32(header) & 0xFFFF).to_bytes(2, "little") + header + data
    out = b"Rar!\x1a\x07\x00" + block(0x73, (0x0008 if solid else 0) | (0x0101 if first_part else 0), bytes(6))
    for n, (name, data) in enumerate(entries):
        stored = name.replace("/", "\\").encode()
        size = sizes[n] if sizes else len(data)
        body = (len(data).to_bytes(4, "little") + size.to_bytes(4, "little") + bytes([2]) +
                zlib.crc32(data).to_bytes(4, "little") + (0x5A210000).to_bytes(4, "little") + bytes([29, 0x30]) +
                len(stored).to_bytes(2, "little") + (0x20).to_bytes(4, "little") + stored)
        out += block(0x74, 0x8000 | (0x10 if solid and n else 0) | (0x02 if first_part else 0), body, data)
    open(path, "wb").write(out + block(0x7B, 0x4000, b""))


def uudecode(source, out):
    data = b""
    for line in open(source, "rb").read().splitlines()[1:]:
        if line.strip() == b"end":
            break
        if line:
            data += binascii.a2b_uu(line)
    open(out, "wb").write(data)


def patch(path, out, change):
    data = bytearray(open(path, "rb").read())
    change(data)
    open(out, "wb").write(bytes(data))


def main(folder, libarchive_tests=None):
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
    # Long enough to decode that the window is seen to go on meanwhile: 120 MB.
    seven_zip(at("Slow.7z"), [("%02d.spc" % n, bytes(15 << 20)) for n in range(8)])
    # For the benchmark: a game's 24 songs in one solid block, as sets come.
    seven_zip(at("Bench.7z"), bench_songs())

    rar(at("Green Game.rsn"), songs)
    rar(at("Bench.rsn"), bench_songs(), solid=True)
    rar(at("Solid.rar"), songs, solid=True)
    whole = open(at("Green Game.rsn"), "rb").read()
    open(at("Cut.rsn"), "wb").write(whole[: len(whole) // 2])
    patch(at("Green Game.rsn"), at("Corrupt.rsn"), lambda data: data.__setitem__(len(data) // 2, data[len(data) // 2] ^ 1))
    open(at("Fake.rsn"), "wb").write(b"Rar! is only its name's.\r\n")
    rar(at("Large.rsn"), [("large.spc", b"small")], sizes=[17 << 20])
    rar(at("Part1.rsn"), [("01 First.spc", songs[1][1][:1000])], sizes=[len(songs[1][1])], first_part=True)
    rar(at("Many.rsn"), [("%02d.spc" % n, b"small") for n in range(18)], sizes=[15 << 20] * 18)
    if libarchive_tests:
        for name in ("test_read_format_rar_compress_normal.rar", "test_read_format_rar_multi_lzss_blocks.rar",
                     "test_read_format_rar_filter.rar",
                     "test_read_format_rar5_solid.rar", "test_read_format_rar_encryption_data.rar",
                     "test_read_format_rar_encryption_header.rar", "test_read_format_rar_multivolume.part0002.rar", "test_read_format_rar_invalid1.rar"):
            uudecode(os.path.join(libarchive_tests, name + ".uu"), at(name))
    for name in ("testfile.rar3.solid.cbr", "testfile.rar3.rar"):
        shutil.copy(os.path.join(os.path.dirname(os.path.abspath(__file__)), "rar", name), at(name))


if __name__ == "__main__":
    main(*sys.argv[1:3])
