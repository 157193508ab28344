#!/usr/bin/env python3
"""Checks the committed generated assets: the program's pictures
(win32/program/art), the hook control's button face
(win32/omnihook/omnihook.ico) and the alert sound (win32/sounds/cork.wav).

Each icon must hold exactly its sizes as 32-bit images with alpha and an AND
mask that agrees with the alpha; each menu bitmap must be a 16 x 16 32-bit
bitmap with premultiplied alpha; the two tray states must look different at
16 pixels; the sound must pass check_wav.py; and every file must be byte for
byte what its script makes now (so a changed script whose output was not
committed fails here).

    python3 check_art.py [ART_FOLDER OMNIHOOK_FOLDER SOUNDS_FOLDER]

The folders default to the ones in this source tree. Exit status 0 when all
is well, 1 with a list of the faults otherwise."""

import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, HERE)
from check_wav import problems as sound_problems  # noqa: E402

TREE = os.path.normpath(os.path.join(HERE, "..", ".."))
FOLDERS = {"art": os.path.join(TREE, "win32", "program", "art"),
           "omnihook": os.path.join(TREE, "win32", "omnihook"),
           "sounds": os.path.join(TREE, "win32", "sounds")}
SOUND = "cork.wav"

MARK_SIZES = (16, 24, 32, 48)
ICONS = {  # file -> (folder key, sizes)
    "quellix.ico": ("art", MARK_SIZES),
    "enabled.ico": ("art", MARK_SIZES),
    "disabled.ico": ("art", MARK_SIZES),
    "alert.ico": ("art", MARK_SIZES),
    "omnihook.ico": ("omnihook", (16, 24, 32)),
}
MENU_BITMAPS = [f"menu{i}.bmp" for i in (1, 2, 4, 5, 6, 7, 8, 9)]


class Fault(Exception):
    pass


def dib_pixels(data, at, width, with_mask):
    """Reads a 32-bit BI_RGB DIB at offset at: its rows top first as
    (b, g, r, a) and, for icons, the AND mask's rows top first as lists of
    bits (1 = transparent)."""
    size, w, h, planes, bits, compression = struct.unpack_from("<IiiHHI", data, at)
    if size != 40:
        raise Fault(f"header of {size} bytes, not a BITMAPINFOHEADER")
    if planes != 1 or bits != 32 or compression != 0:
        raise Fault(f"{bits} bits, {planes} planes, compression {compression}: "
                    "not 32-bit BI_RGB")
    if w != width or h != (2 * width if with_mask else width):
        raise Fault(f"{w} x {h} in the header, expected {width} square"
                    + (" (twice as high, for the mask)" if with_mask else ""))
    at += size
    end = at + 4 * width * width
    if end > len(data):
        raise Fault("pixels run past the end of the file")
    rows = [[tuple(data[at + 4 * (y * width + x):at + 4 * (y * width + x) + 4])
             for x in range(width)] for y in range(width)]
    rows.reverse()
    mask = None
    if with_mask:
        stride = ((width + 31) // 32) * 4
        if end + stride * width > len(data):
            raise Fault("the AND mask runs past the end of the file")
        mask = [[(data[end + y * stride + x // 8] >> (7 - x % 8)) & 1 for x in range(width)]
                for y in range(width)]
        mask.reverse()
    return rows, mask


def check_icon(path, sizes):
    data = read(path)
    if data is None:
        raise Fault("missing")
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if reserved != 0 or kind != 1:
        raise Fault("not an icon file")
    found = []
    images = {}
    for i in range(count):
        w, h, colours, _, planes, bits, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        width = w or 256
        if h != w or colours != 0 or planes != 1 or bits != 32:
            raise Fault(f"entry {i}: {w} x {h}, {bits} bits, {planes} planes")
        if offset + length > len(data):
            raise Fault(f"entry {i} runs past the end of the file")
        rows, mask = dib_pixels(data, offset, width, True)
        stride = ((width + 31) // 32) * 4
        if length != 40 + 4 * width * width + stride * width:
            raise Fault(f"entry {i}: {length} bytes for a {width}-pixel image")
        for y in range(width):
            for x in range(width):
                b, g, r, a = rows[y][x]
                if mask[y][x] != (a == 0):
                    raise Fault(f"{width}px at ({x}, {y}): mask {mask[y][x]} but alpha {a}")
                if a == 0 and (r, g, b) != (0, 0, 0):
                    raise Fault(f"{width}px at ({x}, {y}): a transparent pixel with colour")
        check_coverage(rows, f"{width}px")
        found.append(width)
        images[width] = rows
    if sorted(found) != sorted(sizes):
        raise Fault(f"sizes {sorted(found)}, expected {sorted(sizes)}")
    return images


def check_coverage(rows, what):
    """A picture, not an empty or solid square, with smooth edges."""
    alphas = [p[3] for row in rows for p in row]
    if 0 not in alphas or 255 not in alphas:
        raise Fault(f"{what}: no transparent or no opaque pixel")
    if not any(0 < a < 255 for a in alphas):
        raise Fault(f"{what}: no partly covered pixel (edges not smoothed)")


def check_bitmap(path):
    data = read(path)
    if data is None:
        raise Fault("missing")
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data)
    if magic != b"BM" or file_size != len(data) or offset != 54:
        raise Fault("not a plain bitmap file (BM header, size, pixel offset 54)")
    rows, _ = dib_pixels(data, 14, 16, False)
    if len(data) != 54 + 16 * 16 * 4:
        raise Fault(f"{len(data)} bytes for a 16 x 16 bitmap")
    for y, row in enumerate(rows):
        for x, (b, g, r, a) in enumerate(row):
            if max(r, g, b) > a:
                raise Fault(f"({x}, {y}): colour above alpha {a}: alpha not premultiplied")
    check_coverage(rows, "16px")
    return rows


def difference(first, second):
    """The share of pixels, among those covered in either picture, whose
    colour or coverage differs clearly."""
    differing = covered = 0
    for row_a, row_b in zip(first, second):
        for pa, pb in zip(row_a, row_b):
            if pa[3] == 0 and pb[3] == 0:
                continue
            covered += 1
            if sum(abs(ca - cb) for ca, cb in zip(pa, pb)) > 90:
                differing += 1
    return differing / covered


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def regenerate(folder):
    """Runs every asset script into folder."""
    subprocess.run([sys.executable, os.path.join(HERE, "make_art.py"), folder], check=True)
    subprocess.run([sys.executable, os.path.join(HERE, "make_omnihook_icon.py"),
                    os.path.join(folder, "omnihook.ico")], check=True)
    subprocess.run([sys.executable, os.path.join(HERE, "make_cork.py"),
                    os.path.join(folder, SOUND)], check=True)


def main(args):
    folders = dict(zip(("art", "omnihook", "sounds"), args)) if len(args) == 3 else FOLDERS
    faults = []
    sound = read(os.path.join(folders["sounds"], SOUND))
    if sound is None:
        faults.append(f"{SOUND}: missing")
    else:
        faults += [f"{SOUND}: {p}" for p in sound_problems(sound)]
    icons = {}
    bitmaps = {}
    for name, (where, sizes) in ICONS.items():
        try:
            icons[name] = check_icon(os.path.join(folders[where], name), sizes)
        except (Fault, OSError, struct.error) as fault:
            faults.append(f"{name}: {fault}")
    for name in MENU_BITMAPS:
        try:
            bitmaps[name] = check_bitmap(os.path.join(folders["art"], name))
        except (Fault, OSError, struct.error) as fault:
            faults.append(f"{name}: {fault}")

    # Blocking on and off must not be mistaken for each other in the tray,
    # nor "enable" for "disable" in the menu.
    pairs = []
    if "enabled.ico" in icons and "disabled.ico" in icons:
        pairs.append(("enabled.ico", "disabled.ico", icons["enabled.ico"][16],
                      icons["disabled.ico"][16]))
    if "menu6.bmp" in bitmaps and "menu7.bmp" in bitmaps:
        pairs.append(("menu6.bmp", "menu7.bmp", bitmaps["menu6.bmp"], bitmaps["menu7.bmp"]))
    for a, b, first, second in pairs:
        share = difference(first, second)
        if share < 0.4:
            faults.append(f"{a} and {b} differ in only {share:.0%} of their pixels at 16px")
    names = sorted(bitmaps)
    for i, a in enumerate(names):
        for b in names[i + 1:]:
            if bitmaps[a] == bitmaps[b]:
                faults.append(f"{a} and {b} are the same picture")

    with tempfile.TemporaryDirectory() as fresh:
        regenerate(fresh)
        where = {name: folders[key] for name, (key, _) in ICONS.items()}
        where.update({name: folders["art"] for name in MENU_BITMAPS})
        where[SOUND] = folders["sounds"]
        for name, folder in where.items():
            if read(os.path.join(folder, name)) != read(os.path.join(fresh, name)):
                faults.append(f"{name}: not what its script draws now (run it and commit)")

    for fault in faults:
        print(fault)
    if faults:
        return 1
    print(f"{len(ICONS)} icons, {len(MENU_BITMAPS)} menu bitmaps and the sound are well formed "
          "and up to date")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
