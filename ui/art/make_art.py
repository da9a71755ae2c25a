#!/usr/bin/env python3
"""Draws Velmoria's artwork: Pip on the play button, the window icon and the
About picture. Pure Python (no packages), so anyone can regenerate the files:

    python3 ui/art/make_art.py

Shapes are rendered at 4x4 supersampling. The button and About pictures keep
one transparent colour (magenta), so their outer edges are hard: a pixel is
either the key colour or a colour of the drawing, never a blend of the two,
which would show as a pink fringe. Edges inside the drawing stay smooth. The
icon has a real alpha channel.
"""
import math
import os
import struct
import zlib

SS = 4
KEY = (255, 0, 255)

# Pip's palette.
YELLOW = (255, 206, 64)
YELLOW_DARK = (236, 170, 36)
OUTLINE = (120, 70, 20)
BELLY = (255, 242, 196)
EYE = (43, 33, 64)
WHITE = (255, 255, 255)
CHEEK = (255, 140, 160)
BEAK = (255, 128, 32)
NOTE = (92, 72, 200)
NOTE_LIGHT = (150, 132, 235)
STAGE = (232, 226, 255)
STAGE_EDGE = (204, 194, 250)
STAR = (255, 190, 60)


class Canvas:
    """Drawn in the coordinates of the 100 percent size; scale enlarges the
    pixels, so each size is drawn afresh rather than enlarged."""

    def __init__(self, width, height, scale=1.0):
        self.w = round(width * scale)
        self.h = round(height * scale)
        self.k = SS * scale  # subpixels per unit of the drawing
        self.sw, self.sh = self.w * SS, self.h * SS
        # premultiplied RGBA per subpixel
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.sw * self.sh)]

    def _fill(self, bbox, inside, colour, alpha=1.0):
        x0, y0, x1, y1 = bbox
        k = self.k
        sx0 = max(0, int(math.floor(x0 * k)))
        sy0 = max(0, int(math.floor(y0 * k)))
        sx1 = min(self.sw, int(math.ceil(x1 * k)) + 1)
        sy1 = min(self.sh, int(math.ceil(y1 * k)) + 1)
        r, g, b = (c / 255.0 for c in colour)
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / k
            row = sy * self.sw
            for sx in range(sx0, sx1):
                x = (sx + 0.5) / k
                if inside(x, y):
                    p = self.px[row + sx]
                    rest = 1.0 - alpha
                    p[0] = r * alpha + p[0] * rest
                    p[1] = g * alpha + p[1] * rest
                    p[2] = b * alpha + p[2] * rest
                    p[3] = alpha + p[3] * rest

    def ellipse(self, cx, cy, rx, ry, colour, alpha=1.0, angle=0.0):
        ca, sa = math.cos(angle), math.sin(angle)

        def inside(x, y):
            dx, dy = x - cx, y - cy
            u = dx * ca + dy * sa
            v = -dx * sa + dy * ca
            return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0

        m = max(rx, ry)
        self._fill((cx - m, cy - m, cx + m, cy + m), inside, colour, alpha)

    def outlined_ellipse(self, cx, cy, rx, ry, fill, outline, width, angle=0.0):
        self.ellipse(cx, cy, rx + width, ry + width, outline, angle=angle)
        self.ellipse(cx, cy, rx, ry, fill, angle=angle)

    def polygon(self, points, colour, alpha=1.0):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            result = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    result = not result
                j = i
            return result

        self._fill((min(xs), min(ys), max(xs), max(ys)), inside, colour, alpha)

    def stroke(self, points, width, colour, alpha=1.0):
        """A polyline of the given width with round joins and caps."""
        r = width / 2.0
        segs = list(zip(points, points[1:]))
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            for (ax, ay), (bx, by) in segs:
                dx, dy = bx - ax, by - ay
                length2 = dx * dx + dy * dy
                t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
                px, py = ax + t * dx - x, ay + t * dy - y
                if px * px + py * py <= r * r:
                    return True
            return False

        self._fill((min(xs) - r, min(ys) - r, max(xs) + r, max(ys) + r), inside, colour, alpha)

    def star(self, cx, cy, outer, inner, colour, points=5, rotation=-math.pi / 2):
        pts = []
        for i in range(points * 2):
            radius = outer if i % 2 == 0 else inner
            a = rotation + i * math.pi / points
            pts.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
        self.polygon(pts, colour)

    def pixels(self):
        """Downsampled straight RGBA, 0..255."""
        out = []
        n = SS * SS
        for y in range(self.h):
            for x in range(self.w):
                acc = [0.0, 0.0, 0.0, 0.0]
                for sy in range(y * SS, y * SS + SS):
                    row = sy * self.sw
                    for sx in range(x * SS, x * SS + SS):
                        p = self.px[row + sx]
                        acc[0] += p[0]
                        acc[1] += p[1]
                        acc[2] += p[2]
                        acc[3] += p[3]
                a = acc[3] / n
                if a <= 0.0:
                    out.append((0, 0, 0, 0))
                else:
                    out.append(tuple(int(round(min(1.0, c / n / a) * 255)) for c in acc[:3])
                               + (int(round(a * 255)),))
        return out


def curve(points, steps=12):
    """Catmull-Rom through the given points, as a polyline."""
    out = []
    pts = [points[0]] + points + [points[-1]]
    for i in range(1, len(pts) - 2):
        p0, p1, p2, p3 = pts[i - 1], pts[i], pts[i + 1], pts[i + 2]
        for s in range(steps):
            t = s / steps
            t2, t3 = t * t, t * t * t
            out.append(tuple(0.5 * ((2 * p1[k]) + (-p0[k] + p2[k]) * t + (2 * p0[k] - 5 * p1[k] + 4 * p2[k] - p3[k]) * t2
                                    + (-p0[k] + 3 * p1[k] - 3 * p2[k] + p3[k]) * t3) for k in range(2)))
    out.append(points[-1])
    return out


def draw_note(c, x, y, size, colour=NOTE, flag=True):
    """An eighth note whose head sits at (x, y)."""
    c.ellipse(x, y, size * 0.55, size * 0.4, colour, angle=-0.45)
    stem_x = x + size * 0.48
    c.stroke([(stem_x, y - size * 0.1), (stem_x, y - size * 2.1)], size * 0.22, colour)
    if flag:
        c.stroke(curve([(stem_x, y - size * 2.05), (stem_x + size * 0.55, y - size * 1.55),
                        (stem_x + size * 0.75, y - size * 1.0), (stem_x + size * 0.45, y - size * 0.6)]),
                 size * 0.2, colour)


def draw_pip(c, cx, cy, r, tuft=1.0, detail=True):
    """Pip: a round, cheerful chick whose tuft is a music note. (cx, cy) is the
    middle of the body, r its radius; tuft scales the note on its head."""
    line = max(0.6, r * 0.07)
    if tuft > 0:
        # The tuft: a note stem rising out of the head with its flag on top.
        top = cy - r * (1.0 + 1.15 * tuft)
        stem_x = cx + r * 0.12
        c.stroke([(stem_x, cy - r * 0.8), (stem_x, top)], r * 0.16, NOTE)
        c.stroke(curve([(stem_x, top), (stem_x + r * 0.38, top + r * 0.3 * tuft),
                        (stem_x + r * 0.52, top + r * 0.62 * tuft), (stem_x + r * 0.3, top + r * 0.9 * tuft)]),
                 r * 0.15, NOTE)
    # Feet, then wings behind the body.
    if detail:
        for side in (-1, 1):
            c.outlined_ellipse(cx + side * r * 0.38, cy + r * 1.0, r * 0.24, r * 0.11, BEAK, OUTLINE, line * 0.7)
        for side in (-1, 1):
            c.outlined_ellipse(cx + side * r * 0.93, cy + r * 0.22, r * 0.2, r * 0.34, YELLOW_DARK, OUTLINE, line,
                               angle=side * 0.5)
    c.outlined_ellipse(cx, cy, r, r * 1.02, YELLOW, OUTLINE, line)
    c.ellipse(cx, cy + r * 0.36, r * 0.62, r * 0.5, BELLY)
    # Face.
    for side in (-1, 1):
        ex = cx + side * r * 0.36
        ey = cy - r * 0.2
        c.ellipse(ex, ey, r * 0.16, r * 0.22, EYE)
        c.ellipse(ex + r * 0.05, ey - r * 0.08, r * 0.065, r * 0.065, WHITE)
        if detail:
            c.ellipse(cx + side * r * 0.62, cy + r * 0.1, r * 0.15, r * 0.09, CHEEK, alpha=0.85)
    c.polygon([(cx - r * 0.14, cy + r * 0.02), (cx + r * 0.14, cy + r * 0.02), (cx, cy + r * 0.2)], BEAK)
    if detail:
        # A small smile under the beak.
        c.stroke(curve([(cx - r * 0.12, cy + r * 0.3), (cx, cy + r * 0.36), (cx + r * 0.12, cy + r * 0.3)], 6),
                 max(0.5, r * 0.05), OUTLINE)


def keyed(canvas):
    """Straight colours with a hard edge against the transparent key colour."""
    return [KEY if a < 128 else (r, g, b) for (r, g, b, a) in canvas.pixels()]


def palette_of(rgb):
    """At most 256 colours: the key, then the most frequent ones; every other
    colour takes the nearest of those (they are few, on smooth inner edges)."""
    counts = {}
    for c in rgb:
        counts[c] = counts.get(c, 0) + 1
    ordered = [KEY] + [c for c, _ in sorted(counts.items(), key=lambda kv: -kv[1]) if c != KEY]
    palette = ordered[:256]
    index = {c: i for i, c in enumerate(palette)}
    for c in ordered[256:]:
        index[c] = min(range(1, len(palette)),
                       key=lambda i: sum((a - b) ** 2 for a, b in zip(c, palette[i])))
    return palette, index


def write_bmp_rle8(path, width, height, rgb):
    """An 8-bit run-length encoded bitmap: the pictures are mostly flat areas,
    so this keeps the program small."""
    palette, index = palette_of(rgb)
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = [index[rgb[y * width + x]] for x in range(width)]
        x = 0
        while x < width:
            run = 1
            while x + run < width and run < 255 and row[x + run] == row[x]:
                run += 1
            data += bytes((run, row[x]))
            x += run
        data += b"\0\0"  # end of line
    data += b"\0\1"  # end of bitmap
    colours = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    offset = 14 + 40 + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(data), 2835, 2835, len(palette), 0)
    with open(path, "wb") as f:
        f.write(header + info + colours + data)


def icon_image(size):
    c = Canvas(size, size)
    if size >= 32:
        draw_pip(c, size * 0.5, size * 0.61, size * 0.33, tuft=0.6, detail=True)
    else:
        draw_pip(c, size * 0.5, size * 0.56, size * 0.42, tuft=0.0, detail=False)
    rgba = c.pixels()
    if size >= 64:
        return png(size, rgba)  # large sizes go compressed, which keeps the exe small
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = rgba[y * size + x]
            xor += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_row)
        for x in range(size):
            if rgba[y * size + x][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def png(size, rgba):
    """A PNG of straight RGBA rows, as icons carry their largest size."""
    rows = b"".join(b"\0" + bytes(v for px in rgba[y * size:(y + 1) * size] for v in px) for y in range(size))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)  # 0 means 256
        offset += len(img)
    for img in images:
        out += img
    with open(path, "wb") as f:
        f.write(out)


def pip_button(scale):
    c = Canvas(44, 103, scale)
    draw_note(c, 10, 24, 7.5)
    c.star(33, 11, 4.6, 2.0, STAR)
    c.star(7, 47, 3.4, 1.5, STAR)
    draw_pip(c, 22, 80, 17.5, tuft=1.05)
    return keyed(c)


def about_picture(scale):
    c = Canvas(279, 287, scale)
    # The stage: a soft disc behind Pip, ending before the texts on the right.
    c.ellipse(118, 160, 112, 112, STAGE_EDGE)
    c.ellipse(118, 160, 104, 104, STAGE)
    c.ellipse(118, 262, 70, 12, STAGE_EDGE)
    draw_pip(c, 118, 192, 62, tuft=0.85)
    draw_note(c, 34, 92, 13)
    draw_note(c, 190, 52, 10, colour=NOTE_LIGHT)
    draw_note(c, 26, 232, 9, colour=NOTE_LIGHT)
    c.star(58, 34, 10, 4.2, STAR)
    c.star(172, 120, 6, 2.5, STAR)
    c.star(196, 236, 7, 3, STAR)
    c.star(14, 160, 5, 2.1, STAR)
    return keyed(c)


# The sizes the program picks from for the screen's scale: percent, file suffix.
SCALES = [(100, ""), (150, "-150"), (200, "-200")]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_ico(os.path.join(here, "velmoria.ico"), [16, 20, 24, 32, 40, 48, 64, 128, 256])
    for percent, suffix in SCALES:
        scale = percent / 100
        pip = pip_button(scale)
        write_bmp_rle8(os.path.join(here, "pip%s.bmp" % suffix), round(44 * scale), round(103 * scale), pip)
        about = about_picture(scale)
        write_bmp_rle8(os.path.join(here, "about%s.bmp" % suffix), round(279 * scale), round(287 * scale), about)


if __name__ == "__main__":
    main()
