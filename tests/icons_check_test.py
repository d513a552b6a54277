#!/usr/bin/env python3
"""make_icons.py --check fails on one planted fault at a time in a copy of
the committed icons: a pixel in the middle of an image, a bit of a mask,
a byte of a PNG image's header; and passes on the copy as it is.

Usage: icons_check_test.py MAKE_ICONS ICON_DIR"""
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path


def image(data, index):
    """The offset and length of an .ico's image."""
    length, offset = struct.unpack_from("<II", data, 6 + 16 * index + 8)
    return offset, length


def flipped_pixel(data):
    offset, _ = image(data, 0)  # a bitmap: header, colours, mask
    size = data[6] or 256
    middle = offset + 40 + 4 * (size * (size // 2) + size // 2)
    return data[:middle] + bytes([data[middle] ^ 0x80]) + data[middle + 1:]


def flipped_mask_bit(data):
    offset, _ = image(data, 0)
    size = data[6] or 256
    first = offset + 40 + 4 * size * size  # the mask's first byte: its first 8 pixels
    return data[:first] + bytes([data[first] ^ 0x80]) + data[first + 1:]


def changed_png_header(data):
    count = struct.unpack_from("<H", data, 4)[0]
    offset, _ = image(data, count - 1)  # the largest, a PNG
    interlace = offset + 8 + 8 + 12  # signature, IHDR's length and kind, then its 13th byte
    return data[:interlace] + bytes([data[interlace] ^ 0x01]) + data[interlace + 1:]


def check(make_icons, folder):
    return subprocess.run([sys.executable, make_icons, "--check", folder],
                          stderr=subprocess.DEVNULL).returncode


def main():
    make_icons, icons = sys.argv[1], Path(sys.argv[2])
    failed = False
    with tempfile.TemporaryDirectory() as work:
        for fault in (None, flipped_pixel, flipped_mask_bit, changed_png_header):
            for name in ("app.ico", "about.ico"):
                shutil.copy(icons / name, Path(work) / name)
            if fault:
                target = Path(work) / "app.ico"
                target.write_bytes(fault(target.read_bytes()))
            status = check(make_icons, work)
            wanted = 0 if fault is None else 1
            label = fault.__name__ if fault else "unchanged"
            print(f"{label}: --check exits {status}")
            failed = failed or status != wanted
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
