#!/usr/bin/env python3
"""Draws the program's pictures: the program icon, the three tray icons and
the tray menu's images. The product's mark is a shield bearing a window:
blue while blocking is on; grey, cut through by a red bar, while it is off.

The output is committed, so that builds need no Python. After changing a
drawing, run it again from anywhere:
    python3 make_art.py [OUTPUT_FOLDER] [--preview SHEET.png]
The folder defaults to win32/program/art; --preview also writes enlarged
sheets (SHEET-<name>.png) to look at."""

import math
import os
import sys

sys.dont_write_bytecode = True  # keep the source folder clean

from artkit import (Shape, arc, circle, linear, polygon, radial, rect, render,
                    rounded_rect, segment, solid, take_preview_option, union,  # noqa: E402
                    write_bmp, write_ico, write_preview)

WHITE = (255, 255, 255)
ICON_SIZES = (16, 24, 32, 48)

# The mark's two states: a two-tone shield, lit from the left.
ON = {"rim": (20, 56, 128), "lit": ((92, 164, 255), (38, 112, 226)),
      "shade": ((52, 128, 238), (22, 80, 190)), "glyph": WHITE, "pane": (210, 230, 255)}
OFF = {"rim": (92, 96, 104), "lit": ((212, 215, 220), (164, 169, 176)),
       "shade": ((180, 185, 192), (132, 137, 145)), "glyph": (252, 252, 252),
       "pane": (236, 238, 240)}
RED = ((240, 70, 56), (196, 30, 24))
STEEL = ((182, 192, 206), (112, 124, 142))
STEEL_RIM = (60, 68, 82)


def pixel(x, y, w=1, h=1):
    """A rectangle of whole pixels of a 16-pixel picture."""
    return rect(x, y, x + w, y + h)


# The mark.

def shield(inset=0.0, top=1.0):
    """The shield's outline, inset by the given units: a flat top with
    rounded corners, straight sides, then a curve down to a point."""
    half = 6.0 - inset
    top += inset
    tip = 15.25 - 1.6 * inset
    shoulder = 6.5
    corner = max(0.0, 2.0 - inset)

    def test(x, y):
        if y < top or y > tip:
            return False
        dx = abs(x - 8.0)
        if y <= shoulder:
            width = half
        else:
            t = (y - shoulder) / (tip - shoulder)
            width = half * (1.0 - t * t)
        if dx > width:
            return False
        if y < top + corner and dx > half - corner:
            ex, ey = dx - (half - corner), top + corner - y
            return ex * ex + ey * ey <= corner * corner
        return True
    return Shape(test, (8.0 - half, top, 8.0 + half, tip))


# Per size, in pixels, so that the straight edges fall on pixel edges: the
# shield's top, its rim's width and the window's box, frame and title bar.
MARK_LAYOUT = {
    16: {"top": 1, "rim": 1, "window": (5, 3, 11, 9), "frame": 1, "bar": 2},
    24: {"top": 2, "rim": 1, "window": (7, 5, 17, 14), "frame": 1, "bar": 3},
    32: {"top": 2, "rim": 1.5, "window": (9, 7, 23, 20), "frame": 2, "bar": 6},
    48: {"top": 3, "rim": 2, "window": (13, 10, 35, 29), "frame": 2, "bar": 7},
}


def mark(size, colours, struck=False):
    """The product's mark at one size; struck adds the off state's bar."""
    u = 16.0 / size
    layout = MARK_LAYOUT[size]
    top = layout["top"] * u
    outline = shield(0.0, top)
    body = shield(layout["rim"] * u, top)
    cut = slash_band(size) if struck else Shape(lambda x, y: False, (0, 0, 0, 0))
    x0, y0, x1, y1 = (v * u for v in layout["window"])
    frame, bar = layout["frame"] * u, layout["bar"] * u
    pane = rect(x0 + frame, y0 + bar, x1 - frame, y1 - frame)
    layers = [
        (outline - cut, solid(colours["rim"])),
        ((body & rect(0, 0, 8, 16)) - cut,
         linear(0, 1, colours["lit"][0], 0, 15, colours["lit"][1])),
        ((body & rect(8, 0, 16, 16)) - cut,
         linear(0, 1, colours["shade"][0], 0, 15, colours["shade"][1])),
        (rect(x0, y0, x1, y1) - pane - cut, solid(colours["glyph"])),
    ]
    if size >= 32:
        layers.append((pane - cut, solid(colours["pane"], 0.35)))
        layers.append((close_box(size, x1 - frame, y0) - cut, solid(colours["rim"])))
    if struck:
        a, b, width = slash_line(size)
        layers.append((segment(*a, *b, width), linear(*a, RED[0], *b, RED[1])))
    return render(size, layers)


def close_box(size, right, top):
    """The cross at the right end of the window's title bar, in a box of
    whole pixels centred on the bar."""
    u = 16.0 / size
    n, width = (4, 1.1) if size < 48 else (5, 1.5)
    bar = MARK_LAYOUT[size]["bar"]
    x0 = right - (n + 1) * u
    y0 = top + (bar - n + 1) // 2 * u
    x1, y1 = x0 + n * u, y0 + n * u
    inset = width * u * 0.35
    return (segment(x0 + inset, y0 + inset, x1 - inset, y1 - inset, width * u)
            | segment(x0 + inset, y1 - inset, x1 - inset, y0 + inset, width * u))


def slash_line(size):
    """The off state's bar: its ends and width, in units."""
    u = 16.0 / size
    width = 2.0 if size <= 16 else 3 * u if size <= 32 else 4 * u
    return (3.0, 3.0), (12.5, 12.5), width


def slash_band(size):
    """What the bar cuts out of the shield: the bar and a pixel either side."""
    u = 16.0 / size
    a, b, width = slash_line(size)
    return segment(*a, *b, width + 2 * u)


# The light bulb shown after a kill.

# Per size, in pixels, so that the metal stays sharp: the screw base's
# columns and rows, its threads (row, height) and the contact at the bottom.
BULB_BASE = {
    16: {"base": (6, 10, 11, 14), "threads": ((12, 1),), "tip": (7, 9, 14, 15)},
    24: {"base": (9, 15, 17, 21), "threads": ((18, 1), (20, 1)), "tip": (10, 14, 21, 23)},
    32: {"base": (12, 20, 23, 29), "threads": ((25, 1), (27, 1)), "tip": (14, 18, 29, 31)},
    48: {"base": (17, 31, 34, 43), "threads": ((36, 2), (39, 2)), "tip": (21, 27, 43, 46)},
}


def bulb(size):
    """A lit bulb: a glowing glass, rays around it and a screw base."""
    u = 16.0 / size
    layout = BULB_BASE[size]
    if size <= 16:
        cx, cy, r = 8.0, 6.0, 4.6
        rays = union(pixel(1, 1), pixel(2, 2), pixel(14, 1), pixel(13, 2), pixel(0, 6, 2),
                     pixel(14, 6, 2))
    else:
        cx, cy, r = 8.0, 6.4, 4.3
        ray_w = 1.5 * u if size < 48 else 2 * u
        rays = union(*[segment(cx + (r + 1.3) * dx, cy + (r + 1.3) * dy,
                               cx + (r + 2.4) * dx, cy + (r + 2.4) * dy, ray_w)
                       for dx, dy in ((0.0, -1.0), (-0.7071, -0.7071), (0.7071, -0.7071),
                                      (-1.0, 0.0), (1.0, 0.0))])
    bx0, bx1, by0, by1 = (v * u for v in layout["base"])
    rim = (1 if size <= 24 else 1.5) * u
    neck_y = cy + 0.62 * r
    neck_half = math.sqrt(r * r - (neck_y - cy) ** 2)
    neck_bottom = (bx1 - bx0) / 2

    def outline(inset):
        return circle(cx, cy, r - inset) | polygon([
            (cx - neck_half + inset, neck_y), (cx + neck_half - inset, neck_y),
            (cx + neck_bottom - inset, by0), (cx - neck_bottom + inset, by0)])
    threads = union(*[rect(bx0, y * u, bx1, (y + h) * u) for y, h in layout["threads"]])
    tx0, tx1, ty0, ty1 = (v * u for v in layout["tip"])
    layers = [
        (rays, solid((240, 150, 0))),
        (outline(0.0), solid((186, 120, 0))),
        (outline(rim), radial(cx - 1.2, cy - 1.5, r + 1.5, (255, 255, 235), (255, 190, 10))),
        (rect(bx0, by0, bx1, by1), linear(bx0, 0, (184, 188, 194), bx1, 0, (100, 104, 112))),
        (threads, solid((66, 70, 78))),
        (rounded_rect(tx0, ty0, tx1, ty1, 0.0 if size <= 16 else u), solid((56, 58, 64))),
    ]
    return render(size, layers)


# The tray menu's images, 16 pixels square.

def gear():
    """Options: a gear of eight teeth, four of them on the pixel grid."""
    teeth = []
    faces = []
    for i in range(8):
        a = math.radians(i * 45)
        ca, sa = math.cos(a), math.sin(a)
        teeth.append(segment(8 + 4.4 * ca, 8 + 4.4 * sa, 8 + 7.0 * ca, 8 + 7.0 * sa, 2.6, False))
        faces.append(segment(8 + 3.9 * ca, 8 + 3.9 * sa, 8 + 6.0 * ca, 8 + 6.0 * sa, 1.2, False))
    outer = circle(8, 8, 5.4) | union(*teeth)
    face = circle(8, 8, 4.4) | union(*faces)
    return render(16, [
        (outer - circle(8, 8, 2.0), solid(STEEL_RIM)),
        (face - circle(8, 8, 3.0), linear(0, 2, STEEL[0], 0, 14, STEEL[1])),
    ])


def globe():
    """The website list: the globe, two continents on a blue sphere."""
    c, r = 7.5, 7.0
    inside = circle(c, c, r - 1.0)
    west = [(2.5, 4), (4.5, 2.5), (6.5, 2.8), (7, 4.5), (5.8, 6), (6.2, 7.5), (7.5, 8.8),
            (7.2, 11), (6, 13.6), (5.2, 11.2), (4.5, 9), (3, 7.5), (2, 6)]
    east = [(9.2, 2.3), (11.5, 2.2), (13.2, 4), (12, 5.5), (12.8, 7.5), (12.3, 10.5),
            (10.8, 12.6), (10.2, 10.2), (9.2, 8.5), (9.6, 6.4), (9, 4.4)]
    return render(16, [
        (circle(c, c, r), solid((18, 64, 150))),
        (inside, radial(c - 2, c - 2.5, 10, (120, 190, 255), (28, 100, 210))),
        ((polygon(west) | polygon(east)) & inside,
         linear(0, 2, (120, 210, 90), 0, 14, (40, 140, 50))),
    ])


def page():
    """The log: a written page with a folded corner."""
    ink = (90, 98, 110)
    outline = polygon([(3, 1), (10, 1), (13, 4), (13, 15), (3, 15)])
    paper = polygon([(4, 2), (9.6, 2), (12, 4.4), (12, 14), (4, 14)])
    fold = polygon([(9, 1), (13, 5), (9, 5)])
    lines = union(*[rect(5, y, 11, y + 1) for y in (7, 9, 11)]) | rect(5, 5, 8, 6)
    return render(16, [
        (outline, solid(ink)),
        (paper, linear(0, 2, WHITE, 0, 14, (226, 232, 240))),
        (fold, solid(ink)),
        (polygon([(10, 2), (12, 4), (10, 4)]), solid((206, 214, 226))),
        (lines, solid((52, 120, 220))),
    ])


def badge(glyph, top, bottom, rim):
    """A round badge with a white sign on it."""
    return render(16, [
        (circle(8, 8, 7.5), solid(rim)),
        (circle(8, 8, 6.5), linear(0, 1.5, top, 0, 14.5, bottom)),
        (glyph, solid(WHITE)),
    ])


def question():
    """Help: a question mark."""
    curl = arc(8, 6.0, 2.2, 1.9, 190, 90, False)
    stem = segment(8, 8.2, 8, 9.6, 1.9, False)
    return badge(curl | stem | circle(8, 12.0, 1.1), (86, 160, 255), (28, 96, 214), (18, 62, 150))


def info():
    """About: the letter i."""
    return badge(circle(8, 4.6, 1.2) | rect(7, 6.5, 9, 12.5), (64, 196, 170), (16, 130, 112),
                 (10, 86, 74))


def flask():
    """The test: a laboratory flask with liquid in it."""
    ink = (70, 80, 96)
    glass = polygon([(6, 1.5), (10, 1.5), (10, 6), (14, 13), (13, 14.5), (3, 14.5), (2, 13),
                     (6, 6)])
    inside = polygon([(7, 2.5), (9, 2.5), (9, 6.3), (12.8, 12.8), (12.3, 13.5), (3.7, 13.5),
                      (3.2, 12.8), (7, 6.3)])
    return render(16, [
        (glass, solid(ink)),
        (inside, solid((236, 242, 248))),
        (inside & rect(0, 9, 16, 16), linear(0, 9, (110, 220, 120), 0, 14, (36, 160, 64))),
        (circle(6.5, 11.5, 0.7) | circle(9.3, 10.6, 0.5), solid(WHITE, 0.8)),
        (rect(5, 1, 11, 2.5), solid(ink)),
    ])


def pictures():
    """Every picture by file name: a list of images for an icon, one image
    for a bitmap."""
    on = [mark(s, ON) for s in ICON_SIZES]
    off = [mark(s, OFF, struck=True) for s in ICON_SIZES]
    return {
        "quellix.ico": on,
        "enabled.ico": on,
        "disabled.ico": off,
        "alert.ico": [bulb(s) for s in ICON_SIZES],
        # The menu's image indices: 1 options, 2 website list, 4 log, 5 help,
        # 6 "enable" (shows the on state), 7 "disable" (the off state),
        # 8 test, 9 about.
        "menu1.bmp": gear(),
        "menu2.bmp": globe(),
        "menu4.bmp": page(),
        "menu5.bmp": question(),
        "menu6.bmp": on[0],
        "menu7.bmp": off[0],
        "menu8.bmp": flask(),
        "menu9.bmp": info(),
    }


def write_all(folder, drawn):
    for name, picture in drawn.items():
        target = os.path.join(folder, name)
        if name.endswith(".ico"):
            write_ico(target, picture)
        else:
            write_bmp(target, picture)


def main(args):
    preview = take_preview_option(args)
    folder = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                                                "..", "win32", "program", "art")
    drawn = pictures()
    write_all(folder, drawn)
    if preview:
        stem = preview[:-4] if preview.endswith(".png") else preview
        for name, picture in drawn.items():
            if isinstance(picture, list):
                write_preview(f"{stem}-{name[:-4]}.png", picture)
        write_preview(f"{stem}-menu.png", [p for p in drawn.values() if not isinstance(p, list)])


if __name__ == "__main__":
    main(sys.argv[1:])
