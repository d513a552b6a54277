#!/usr/bin/env python3
"""Draws the program's icons, each size from its own shapes, and writes them
as .ico files of 32-bit images with alpha.

app.ico:   a round emblem of slanted stripes in shades from dark blue at the
           lower left to bright blue at the upper right, in a dark ring
           with a thin light edge from 32 pixels on, so that it shows on a
           dark background too, transparent outside; 16, 20, 24, 32, 40,
           48, 64 and 256 pixels.
about.ico: a blue diamond-shaped badge with a white lower-case i; 16, 20,
           24, 28, 32, 36, 40 and 48 pixels, four fifths of the About
           button's height from 100% to 300% scaling.

Up to 32 pixels the emblem's stripes and ring are fitted to whole pixels,
so that their edges stay sharp; only its round outline is smoothed. From
40 pixels on its every edge is anti-aliased. The badge sits on whole
pixels at every size. The emblem from 48 pixels and the badge from 28 are
stored as PNG, which Windows takes inside an .ico, the others as bitmaps.

Only arithmetic and correctly rounded square roots go into the pixels, so
they come out the same on any machine; the compressed bytes of the PNG
images depend on the zlib, so a check compares decoded pixels.
Usage: make_icons.py OUTPUT_DIR
       make_icons.py --check ICON_DIR   exits 1 when the icons there hold
                                        other sizes, headers, pixels or
                                        masks than drawn
"""
import math
import struct
import sys
import zlib
from pathlib import Path

DARK, BRIGHT = (0, 16, 80), (96, 176, 255)
RING = (0, 0, 64)
EDGE = (208, 224, 255)
NAVY, BLUE, WHITE = (0, 0, 128), (0, 0, 255), (255, 255, 255)
SHADES = 8
APP_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
ABOUT_SIZES = (16, 20, 24, 28, 32, 36, 40, 48)
# The size from which each icon's images are stored as PNG.
APP_PNG_FROM, ABOUT_PNG_FROM = 48, 28


def clamp(value, low=0.0, high=1.0):
    return low if value < low else high if value > high else value


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def shade(t):
    return mix(DARK, BRIGHT, clamp(t))


def emblem(size):
    """Rows of (r, g, b, a) pixels, colours in 0..255 as floats, a in 0..1."""
    small = size <= 32
    centre = size / 2
    radius = centre - (0.5 if small else size / 64)
    ring = 1.0 if small else size / 24
    # The light edge, outside the ring, where a pixel can spare it.
    edge = 0.0 if size < 32 else 1.0 if small else size / 48
    band = {16: 2, 20: 3, 24: 3, 32: 4}.get(size, size / 8)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            distance = math.sqrt((px - centre) * (px - centre) + (py - centre) * (py - centre))
            alpha = clamp(radius - distance + 0.5)
            # Along the diagonal from the lower left (dark) to the upper right.
            t = (px + size - py) / (2 * size)
            if small:
                # Whole pixels: eight shades, stripes on pixel diagonals.
                level = min(SHADES - 1, int(t * SHADES))
                dark_stripe = ((x - y + 4 * size) // band) % 2 == 1
                if dark_stripe:
                    level = max(0, level - 2)
                colour = shade(level / (SHADES - 1))
                if distance > radius - edge:
                    colour = EDGE
                elif distance > radius - edge - ring:
                    colour = RING
            else:
                # Smooth: the stripes' edges and the ring's inner edge are
                # blended by how far the pixel's centre lies from them.
                u = (px - py) / band + 4 * size
                stripe = int(u)
                fraction = u - stripe
                apart = min(fraction, 1 - fraction) * band / math.sqrt(2)
                own = clamp(0.5 + apart)
                dark_share = own if stripe % 2 == 1 else 1 - own
                colour = mix(shade(t), shade(t - 2 / 7), dark_share)
                colour = mix(colour, RING, clamp(distance - (radius - edge - ring) + 0.5))
                colour = mix(colour, EDGE, clamp(distance - (radius - edge) + 0.5))
            row.append((*colour, alpha))
        rows.append(row)
    return rows


def badge(size):
    """The About picture, on whole pixels: a diamond with a border and a
    white i, its stem and dot as wide as each other."""
    k = size / 16
    border = {16: 1.5, 20: 2.0, 24: 2.0, 28: 2.5, 32: 3.0, 36: 3.0, 40: 3.5, 48: 4.0}[size]
    stem = 2 if size < 28 else 4 if size < 48 else 6
    left = size // 2 - stem // 2
    dot_top = round(3 * k)
    stem_top, stem_bottom = round(6 * k), round(12 * k)
    serif = 1 if size < 32 else 2 if size < 48 else 3
    centre = size / 2
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            reach = abs(x + 0.5 - centre) + abs(y + 0.5 - centre)
            if reach > centre:
                row.append((0, 0, 0, 0.0))
                continue
            colour = NAVY if reach > centre - border else BLUE
            in_stem = left <= x < left + stem
            if (in_stem and dot_top <= y < dot_top + stem) or (
                    in_stem and stem_top <= y < stem_bottom) or (
                    left - serif <= x < left and stem_top <= y < stem_top + serif) or (
                    left - serif <= x < left + stem + serif and
                    stem_bottom - serif <= y < stem_bottom):
                colour = WHITE
            row.append((*colour, 1.0))
        rows.append(row)
    return rows


def to_bytes(rows):
    """Straight (not premultiplied) 8-bit RGBA rows, top to bottom."""
    return [bytes(round(v) for (r, g, b, a) in row
                  for v in (r * (a > 0), g * (a > 0), b * (a > 0), a * 255))
            for row in rows]


def png(rows):
    size = len(rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    # Each row with the filter that leaves the smallest sum, as encoders do.
    raw, previous = b"", bytes(4 * size)
    for row in rows:
        candidates = []
        for kind in range(5):
            out = bytearray([kind])
            for i, value in enumerate(row):
                left = row[i - 4] if i >= 4 else 0
                up = previous[i]
                corner = previous[i - 4] if i >= 4 else 0
                if kind == 0:
                    predicted = 0
                elif kind == 1:
                    predicted = left
                elif kind == 2:
                    predicted = up
                elif kind == 3:
                    predicted = (left + up) // 2
                else:
                    p = left + up - corner
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                    predicted = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                out.append((value - predicted) & 0xFF)
            candidates.append((sum(v if v < 128 else 256 - v for v in out[1:]), kind, out))
        raw += min(candidates)[2]
        previous = row
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def bitmap(rows):
    """A 32-bit icon bitmap: BGRA bottom-up, then the AND mask of the
    pixels that are wholly transparent."""
    size = len(rows)
    colours = b"".join(bytes(row[i + c] for i in range(0, len(row), 4) for c in (2, 1, 0, 3))
                       for row in reversed(rows))
    stride = (size + 31) // 32 * 4
    mask = b"".join(sum(1 << (8 * stride - 1 - x) for x in range(size) if row[4 * x + 3] == 0)
                    .to_bytes(stride, "big") for row in reversed(rows))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colours) + len(mask),
                         0, 0, 0, 0)
    return header + colours + mask


def ico(images):
    """An .ico of (size, data) images, in the order given."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, bodies = b"", b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data),
                               offset)
        bodies += data
        offset += len(data)
    return directory + entries + bodies


def icon(draw, sizes, png_from):
    images = []
    for size in sizes:
        rows = to_bytes(draw(size))
        images.append((size, png(rows) if size >= png_from else bitmap(rows)))
    return ico(images)


def unfilter(raw, size):
    """PNG's scanlines, filters undone: rows of RGBA bytes."""
    rows, previous, stride, at = [], bytes(4 * size), 4 * size, 0
    for _ in range(size):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up = previous[i]
            corner = previous[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc
                                      else corner)) & 0xFF
        rows.append(bytes(line))
        previous = line
    return rows


def decoded(data):
    """An .ico's directory entries, and for each image its header (a
    bitmap's BITMAPINFOHEADER, a PNG's IHDR), its RGBA rows top to bottom
    and a bitmap's AND mask: all that a check compares."""
    count = struct.unpack_from("<H", data, 4)[0]
    images = []
    for n in range(count):
        entry = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        size, length, offset = entry[0] or 256, entry[6], entry[7]
        body = data[offset:offset + length]
        if body.startswith(b"\x89PNG"):
            at, idat, header = 8, b"", b""
            while at < len(body):
                chunk_length, kind = struct.unpack_from(">I4s", body, at)
                if kind == b"IDAT":
                    idat += body[at + 8:at + 8 + chunk_length]
                elif kind == b"IHDR":
                    header = body[at + 8:at + 8 + chunk_length]
                at += 12 + chunk_length
            rows, mask = unfilter(zlib.decompress(idat), size), b""
        else:
            header, colours = body[:40], body[40:40 + 4 * size * size]
            rows = [bytes(colours[4 * (y * size + x) + c] for x in range(size)
                          for c in (2, 1, 0, 3)) for y in reversed(range(size))]
            mask = body[40 + 4 * size * size:]
        images.append((entry[:6], header, rows, mask))
    return images


def app_icon():
    return icon(emblem, APP_SIZES, APP_PNG_FROM)


def about_icon():
    return icon(badge, ABOUT_SIZES, ABOUT_PNG_FROM)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--check":
        differ = [name for name, drawn in (("app.ico", app_icon()), ("about.ico", about_icon()))
                  if decoded((Path(sys.argv[2]) / name).read_bytes()) != decoded(drawn)]
        for name in differ:
            print(f"{name} differs from what tools/make_icons.py draws", file=sys.stderr)
        sys.exit(1 if differ else 0)
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(".")
    out.mkdir(parents=True, exist_ok=True)
    (out / "app.ico").write_bytes(app_icon())
    (out / "about.ico").write_bytes(about_icon())


if __name__ == "__main__":
    main()
