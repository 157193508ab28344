#!/usr/bin/env python3
"""Writes omnihook.ico, the face of the hook control's button: a hook drawn
white on a blue disc, at 16 and 24 pixels, 32-bit with alpha.

Run it again after changing the drawing: python3 make_icon.py omnihook.ico"""

import math
import struct
import sys

SAMPLES = 4  # per pixel side, for smooth edges


def inside(x, y):
    """What covers the point (x, y) of the unit square: 'w' hook, 'b' disc, None."""
    cx, cy = 0.5, 0.5
    if math.hypot(x - cx, y - cy) > 0.47:
        return None
    # The hook: a shank from the top down to a bend, curving up to a barb.
    shank = abs(x - 0.58) < 0.06 and 0.16 < y < 0.62
    ring = 0.12 < math.hypot(x - 0.46, y - 0.62) < 0.24 and y > 0.62
    barb = abs(x - 0.28) < 0.06 and 0.48 < y < 0.64
    eye = 0.03 < math.hypot(x - 0.58, y - 0.16) < 0.08
    return "w" if shank or ring or barb or eye else "b"


def image(size):
    rows = []
    for py in range(size):
        row = b""
        for px in range(size):
            counts = {"w": 0, "b": 0}
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    what = inside((px + (sx + 0.5) / SAMPLES) / size,
                                  (py + (sy + 0.5) / SAMPLES) / size)
                    if what:
                        counts[what] += 1
            total = SAMPLES * SAMPLES
            covered = counts["w"] + counts["b"]
            if covered == 0:
                row += bytes((0, 0, 0, 0))
                continue
            white = counts["w"] / covered
            blue = (0xC8, 0x64, 0x1E)  # B, G, R
            pixel = tuple(int(c + (255 - c) * white) for c in blue)
            row += bytes(pixel) + bytes((round(255 * covered / total),))
        rows.append(row)
    pixels = b"".join(reversed(rows))  # bottom-up
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # alpha decides; the AND mask is all opaque
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def main(path):
    sizes = (16, 24)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "omnihook.ico")
