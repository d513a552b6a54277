#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files.

app.ico:   32x32, 256 colours: a round emblem of slanted stripes in shades
           from dark to bright blue, transparent outside.
about.ico: 16x16, 16 colours: a blue diamond-shaped badge with a white
           lower-case i.

The drawing is plain arithmetic, so the files come out the same every time.
Usage: make_icons.py OUTPUT_DIR
"""
import math
import struct
import sys
from pathlib import Path

TRANSPARENT = None


def ico_file(size, bits, palette, pixels):
    """An .ico holding one image; pixels[y][x] is a palette index or TRANSPARENT."""
    colours = 1 << bits
    palette = list(palette) + [(0, 0, 0)] * (colours - len(palette))
    xor_stride = (size * bits + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor_rows, and_rows = [], []
    for y in reversed(range(size)):  # bottom-up
        row = pixels[y]
        indices = [0 if p is TRANSPARENT else p for p in row]
        if bits == 8:
            data = bytes(indices)
        else:
            data = bytes((indices[x] << 4) | indices[x + 1] for x in range(0, size, 2))
        xor_rows.append(data.ljust(xor_stride, b"\0"))
        mask = 0
        for x, p in enumerate(row):
            if p is TRANSPARENT:
                mask |= 1 << (size - 1 - x)
        and_rows.append(mask.to_bytes(size // 8, "big").ljust(and_stride, b"\0"))
    image = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(image), 0, 0, 0, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    body = header + table + image
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, colours if colours < 256 else 0, 0, 1, bits,
                        len(body), 6 + 16)
    return directory + entry + body


def app_icon():
    size = 32
    shades = 8
    dark, bright = (0, 16, 80), (96, 176, 255)
    palette = [(0, 0, 0)]
    for i in range(shades):
        t = i / (shades - 1)
        palette.append(tuple(round(d + (b - d) * t) for d, b in zip(dark, bright)))
    outline = len(palette)
    palette.append((0, 0, 64))
    centre, radius = 15.5, 15.0
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            distance = math.hypot(x - centre, y - centre)
            if distance > radius:
                row.append(TRANSPARENT)
            elif distance > radius - 1.2:
                row.append(outline)
            else:
                # Stripes slant from lower left to upper right; the shade
                # rises from the lower left (dark) to the upper right (bright).
                band = int((x - y + size) // 4)
                t = (x + (size - 1 - y)) / (2 * (size - 1))
                shade = min(shades - 1, int(t * shades))
                if band % 2:
                    shade = max(0, shade - 2)
                row.append(1 + shade)
        pixels.append(row)
    return ico_file(size, 8, palette, pixels)


def about_icon():
    size = 16
    palette = [(0, 0, 0), (0, 0, 128), (0, 0, 255), (255, 255, 255)]
    navy, blue, white = 1, 2, 3
    centre = 7.5
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            reach = abs(x - centre) + abs(y - centre)
            if reach > 8.0:
                row.append(TRANSPARENT)
            elif reach > 6.5:
                row.append(navy)
            else:
                row.append(blue)
        pixels.append(row)
    # The letter i: a dot, then a stem with a foot.
    for x, y in [(7, 3), (8, 3), (7, 4), (8, 4)]:
        pixels[y][x] = white
    for y in range(6, 12):
        pixels[y][7] = pixels[y][8] = white
    pixels[6][6] = white
    pixels[11][6] = pixels[11][9] = white
    return ico_file(size, 4, palette, pixels)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(".")
    out.mkdir(parents=True, exist_ok=True)
    (out / "app.ico").write_bytes(app_icon())
    (out / "about.ico").write_bytes(about_icon())


if __name__ == "__main__":
    main()
