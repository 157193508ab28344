#!/usr/bin/env python3
"""Draws the program's placeholder pictures: the program icon, the three tray
icons and the tray menu's images, as plain shapes. Run it from this folder;
its output is committed, so that builds need no Python."""

import struct


def blank(size):
    return [[(0, 0, 0, 0)] * size for _ in range(size)]


def disc(px, cx, cy, r, colour):
    for y in range(len(px)):
        for x in range(len(px)):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                px[y][x] = colour


def rect(px, x0, y0, x1, y1, colour):
    for y in range(y0, y1):
        for x in range(x0, x1):
            px[y][x] = colour


def line(px, x0, y0, x1, y1, colour, width=1):
    steps = max(abs(x1 - x0), abs(y1 - y0)) * 4 + 1
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i / steps
        y = y0 + (y1 - y0) * i / steps
        for dx in range(width):
            for dy in range(width):
                xi, yi = int(x) + dx, int(y) + dy
                if 0 <= xi < len(px) and 0 <= yi < len(px):
                    px[yi][xi] = colour


GREEN = (40, 160, 60, 255)
GREY = (140, 140, 140, 255)
RED = (200, 30, 30, 255)
YELLOW = (250, 210, 40, 255)
WHITE = (255, 255, 255, 255)
DARK = (70, 70, 70, 255)
BLUE = (40, 90, 200, 255)


def shield(size, body, mark):
    px = blank(size)
    s = size / 16
    disc(px, 8 * s, 8 * s, 7.5 * s, body)
    if mark == "check":
        line(px, int(4 * s), int(8 * s), int(7 * s), int(11 * s), WHITE, max(1, int(2 * s)))
        line(px, int(7 * s), int(11 * s), int(12 * s), int(4 * s), WHITE, max(1, int(2 * s)))
    elif mark == "slash":
        line(px, int(4 * s), int(4 * s), int(11 * s), int(11 * s), RED, max(1, int(2 * s)))
    return px


def bulb(size):
    px = blank(size)
    s = size / 16
    disc(px, 8 * s, 6.5 * s, 5.5 * s, YELLOW)
    rect(px, int(5.5 * s), int(11 * s), int(10.5 * s), int(15 * s), DARK)
    line(px, int(5.5 * s), int(13 * s), int(10 * s), int(13 * s), GREY)
    return px


def dib(px, with_mask):
    size = len(px)
    height = size * 2 if with_mask else size
    header = struct.pack("<IiiHHIIiiII", 40, size, height, 1, 32, 0, 0, 0, 0, 0, 0)
    data = b"".join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    if with_mask:
        stride = ((size + 31) // 32) * 4
        for row in reversed(px):
            bits = bytearray(stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            data += bytes(bits)
    return header + data


def write_ico(name, images):
    count = len(images)
    out = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    blobs = []
    for px in images:
        blob = dib(px, True)
        size = len(px)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    with open(name, "wb") as f:
        f.write(out + b"".join(blobs))


def write_bmp(name, px):
    body = dib(px, False)
    with open(name, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40) + body)


def menu_image(colour, mark):
    px = blank(16)
    rect(px, 2, 2, 14, 14, colour)
    if mark:
        line(px, 4, 8, 12, 8, WHITE, 2)
    return px


write_ico("quellix.ico", [shield(32, GREEN, "check"), shield(16, GREEN, "check")])
write_ico("enabled.ico", [shield(16, GREEN, "check")])
write_ico("disabled.ico", [shield(16, GREY, "slash")])
write_ico("alert.ico", [bulb(16)])
# The menu's image indices: 1 options, 2 website list, 4 log, 5 help,
# 6 "enable", 7 "disable", 8 test, 9 about.
MENU = {1: (BLUE, True), 2: (GREEN, False), 4: (GREY, True), 5: (BLUE, False),
        6: None, 7: None, 8: (YELLOW, False), 9: (DARK, False)}
for index, spec in MENU.items():
    if index == 6:
        px = shield(16, GREEN, "check")
    elif index == 7:
        px = shield(16, GREY, "slash")
    else:
        px = menu_image(*spec)
    write_bmp(f"menu{index}.bmp", px)
