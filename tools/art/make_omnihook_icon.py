#!/usr/bin/env python3
"""Writes omnihook.ico, the face of the hook control's button: a white hook
on a blue disc, in the colours of the program's mark, at 16, 24 and 32
pixels. It draws with the program's drawing kit (artkit.py, beside it).

The icon is committed, so that builds need no Python. After changing the
drawing, run it again from anywhere:
    python3 make_icon.py [OUTPUT.ico] [--preview SHEET.png]
The output defaults to win32/omnihook/omnihook.ico."""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # keep the source folders clean

from artkit import (arc, circle, linear, polygon, render, segment, solid,  # noqa: E402
                    take_preview_option, write_ico, write_preview)

SIZES = (16, 24, 32)
RIM = (20, 56, 128)
DISC = ((92, 164, 255), (22, 80, 190))
WHITE = (255, 255, 255)


# Per size: the stroke's width, the shank's middle and the bend's radius, in
# units of the 16-unit square, chosen so that the straight edges fall on
# pixel edges.
HOOK = {16: (2.0, 10.0, 3.0), 24: (2.0, 9.667, 2.667), 32: (1.5, 9.75, 2.75)}


def hook(size):
    u = 16.0 / size
    rim = (1.0 if size <= 24 else 1.5) * u
    stroke, shank_x, bend_r = HOOK[size]
    bend_y = 9.0
    left_x = shank_x - 2 * bend_r
    # The eye at the top, the shank, the bend and the pointed end.
    eye = circle(shank_x, 3.6, 1.7) - circle(shank_x, 3.6, 0.8)
    shank = segment(shank_x, 4.5, shank_x, bend_y, stroke, False)
    bend = arc(shank_x - bend_r, bend_y, bend_r, stroke, 0, 180, False)
    point = polygon([(left_x - stroke / 2, bend_y), (left_x + stroke / 2, bend_y),
                     (left_x + stroke / 2, 7.8), (left_x, 6.2), (left_x - stroke / 2, 7.8)])
    barb = polygon([(left_x + stroke / 2 - 0.1, 8.2), (left_x + stroke / 2 + 1.3, 9.3),
                    (left_x + stroke / 2 - 0.1, 9.6)])
    shape = eye | shank | bend | point | barb
    return render(size, [
        (circle(8, 8, 7.5), solid(RIM)),
        (circle(8, 8, 7.5 - rim), linear(3, 1, DISC[0], 13, 15, DISC[1])),
        (shape.moved(0.35, 0.35), solid(RIM, 0.45)),
        (shape, solid(WHITE)),
    ])


def main(args):
    preview = take_preview_option(args)
    path = args[0] if args else os.path.join(HERE, "..", "..", "win32", "omnihook", "omnihook.ico")
    images = [hook(size) for size in SIZES]
    write_ico(path, images)
    if preview:
        write_preview(preview, images)


if __name__ == "__main__":
    main(sys.argv[1:])
