#!/usr/bin/env python3
"""make_icons.py --check passes on a copy of the committed icons and fails
on each fault planted in one: a pixel in the middle of a bitmap image, a
bit of its mask, a byte of a PNG image's header.

Usage: icons_check_test.py MAKE_ICONS ICON_DIR"""
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path


def flipped(data, image, at, bit):
    """`data` with one bit flipped `at` bytes into its image `image`, or
    for `at` a function of the image's size."""
    size = data[6 + 16 * image] or 256
    offset = struct.unpack_from("<I", data, 6 + 16 * image + 12)[0]
    where = offset + (at(size) if callable(at) else at)
    return data[:where] + bytes([data[where] ^ bit]) + data[where + 1:]


FAULTS = {  # the first image is a bitmap: a header, the colours, the mask
    "unchanged": lambda data: data,
    "middle pixel": lambda data: flipped(data, 0, lambda s: 40 + 4 * (s * (s // 2) + s // 2), 0x80),
    "mask bit": lambda data: flipped(data, 0, lambda s: 40 + 4 * s * s, 0x80),
    # The last image is a PNG: its IHDR's last byte, after the signature
    # and the chunk's length and kind.
    "PNG header": lambda data: flipped(data, struct.unpack_from("<H", data, 4)[0] - 1, 28, 0x01),
}

failed = False
with tempfile.TemporaryDirectory() as work:
    for fault, plant in FAULTS.items():
        for name in ("app.ico", "about.ico"):
            shutil.copy(Path(sys.argv[2]) / name, Path(work) / name)
        (Path(work) / "app.ico").write_bytes(plant((Path(work) / "app.ico").read_bytes()))
        status = subprocess.run([sys.executable, sys.argv[1], "--check", work],
                                stderr=subprocess.DEVNULL).returncode
        print(f"{fault}: --check exits {status}")
        failed = failed or status != (0 if fault == "unchanged" else 1)
sys.exit(1 if failed else 0)
