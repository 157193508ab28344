"""A small drawing kit for Quellix's pictures (python3 standard library only).

Every picture is drawn in a square of 16 units, whatever its size in pixels:
shapes are point tests in those units, painted in layers from the bottom up.
Each pixel is sampled on an 8 x 8 grid, so edges come out antialiased; the
result has straight (not premultiplied) alpha. Writers for .ico and .bmp
files, and for .png sheets to look at the result, are at the end.

Only +, -, *, / and square roots are evaluated per sample, so the bytes come
out the same on every machine."""

import math
import struct
import sys
import zlib

GRID = 16.0
SAMPLES = 8


class Shape:
    """A set of points of the design square, with a box that holds it."""

    def __init__(self, test, box):
        self.test = test
        self.box = box

    def __or__(self, other):
        a, b = self, other
        box = (min(a.box[0], b.box[0]), min(a.box[1], b.box[1]),
               max(a.box[2], b.box[2]), max(a.box[3], b.box[3]))
        return Shape(lambda x, y: a.test(x, y) or b.test(x, y), box)

    def __and__(self, other):
        a, b = self, other
        box = (max(a.box[0], b.box[0]), max(a.box[1], b.box[1]),
               min(a.box[2], b.box[2]), min(a.box[3], b.box[3]))
        return Shape(lambda x, y: a.test(x, y) and b.test(x, y), box)

    def __sub__(self, other):
        a, b = self, other
        return Shape(lambda x, y: a.test(x, y) and not b.test(x, y), a.box)

    def moved(self, dx, dy):
        """The same shape, shifted by (dx, dy)."""
        test = self.test
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: test(x - dx, y - dy), (x0 + dx, y0 + dy, x1 + dx, y1 + dy))


def union(*shapes):
    result = shapes[0]
    for shape in shapes[1:]:
        result = result | shape
    return result


def circle(cx, cy, r):
    rr = r * r

    def test(x, y):
        dx, dy = x - cx, y - cy
        return dx * dx + dy * dy <= rr
    return Shape(test, (cx - r, cy - r, cx + r, cy + r))


def rect(x0, y0, x1, y1):
    return Shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, (x0, y0, x1, y1))


def rounded_rect(x0, y0, x1, y1, r):
    def test(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        dx = max(x0 + r - x, 0.0, x - (x1 - r))
        dy = max(y0 + r - y, 0.0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return Shape(test, (x0, y0, x1, y1))


def polygon(points):
    """The inside of a closed polygon (even-odd rule)."""
    edges = list(zip(points, points[1:] + points[:1]))

    def test(x, y):
        inside = False
        for (xa, ya), (xb, yb) in edges:
            if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                inside = not inside
        return inside
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(test, (min(xs), min(ys), max(xs), max(ys)))


def segment(xa, ya, xb, yb, width, round_ends=True):
    """A straight stroke of the given width from a to b."""
    half = width / 2
    dx, dy = xb - xa, yb - ya
    length2 = dx * dx + dy * dy

    def test(x, y):
        t = ((x - xa) * dx + (y - ya) * dy) / length2
        if t < 0 or t > 1:
            if not round_ends:
                return False
            t = 0.0 if t < 0 else 1.0
        ex, ey = x - (xa + t * dx), y - (ya + t * dy)
        return ex * ex + ey * ey <= half * half
    return Shape(test, (min(xa, xb) - half, min(ya, yb) - half, max(xa, xb) + half,
                        max(ya, yb) + half))


def arc(cx, cy, r, width, start, end, round_ends=True):
    """A stroke along a circle, turning clockwise (y grows downwards) from
    angle start to angle end, in degrees from three o'clock."""
    span = (end - start) % 360
    a0 = math.radians(start)
    a1 = math.radians(start + span)
    ux, uy = math.cos(a0), math.sin(a0)
    vx, vy = math.cos(a1), math.sin(a1)
    half = width / 2

    def in_sector(x, y):
        dx, dy = x - cx, y - cy
        after_start = ux * dy - uy * dx >= 0
        before_end = vx * dy - vy * dx <= 0
        return (after_start and before_end) if span <= 180 else (after_start or before_end)

    def test(x, y):
        dx, dy = x - cx, y - cy
        d = math.sqrt(dx * dx + dy * dy)
        return abs(d - r) <= half and in_sector(x, y)
    shape = Shape(test, (cx - r - half, cy - r - half, cx + r + half, cy + r + half))
    if round_ends:
        shape = (shape | circle(cx + r * ux, cy + r * uy, half)
                 | circle(cx + r * vx, cy + r * vy, half))
    return shape


# Paints: a colour, or a colour that depends on the point. Colours are
# (r, g, b) in 0..255 with an opacity in 0..1.

def solid(rgb, alpha=1.0):
    colour = (rgb[0], rgb[1], rgb[2], alpha)
    return lambda x, y: colour


def mix(a, b, t):
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def linear(xa, ya, ca, xb, yb, cb, alpha=1.0):
    dx, dy = xb - xa, yb - ya
    length2 = dx * dx + dy * dy

    def paint(x, y):
        t = ((x - xa) * dx + (y - ya) * dy) / length2
        return mix(ca, cb, t) + (alpha,)
    return paint


def radial(cx, cy, r, inner, outer, alpha=1.0):
    def paint(x, y):
        dx, dy = x - cx, y - cy
        return mix(inner, outer, math.sqrt(dx * dx + dy * dy) / r) + (alpha,)
    return paint


class Image:
    """A square picture: rows of (r, g, b, a) bytes, straight alpha, top row
    first."""

    def __init__(self, size, rows):
        self.size = size
        self.rows = rows


def render(size, layers):
    """Paints the layers (shape, paint), the first one lowest, into a picture
    size pixels square."""
    unit = GRID / size
    step = unit / SAMPLES
    offsets = [(i + 0.5) * step for i in range(SAMPLES)]
    count = SAMPLES * SAMPLES
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            left, top = px * unit, py * unit
            active = [(s.test, paint) for s, paint in layers
                      if s.box[0] < left + unit and s.box[2] > left
                      and s.box[1] < top + unit and s.box[3] > top]
            sr = sg = sb = sa = 0.0
            if active:
                for oy in offsets:
                    y = top + oy
                    for ox in offsets:
                        x = left + ox
                        r = g = b = a = 0.0
                        for test, paint in active:
                            if test(x, y):
                                cr, cg, cb, ca = paint(x, y)
                                keep = 1.0 - ca
                                r = cr * ca + r * keep
                                g = cg * ca + g * keep
                                b = cb * ca + b * keep
                                a = ca + a * keep
                        sr += r
                        sg += g
                        sb += b
                        sa += a
            alpha = round(255 * sa / count)
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(min(255, round(c / sa)) for c in (sr, sg, sb)) + (alpha,))
        rows.append(row)
    return Image(size, rows)


# File writers.

def _dib(image, premultiplied, with_mask):
    """A BITMAPINFOHEADER and bottom-up BGRA rows, and for icons the AND
    mask: a pixel is transparent to the mask exactly when its alpha is 0."""
    size = image.size
    pixels = bytearray()
    for row in reversed(image.rows):
        for r, g, b, a in row:
            if premultiplied:
                r, g, b = ((c * a + 127) // 255 for c in (r, g, b))
            pixels += bytes((b, g, r, a))
    mask = bytearray()
    if with_mask:
        stride = ((size + 31) // 32) * 4
        for row in reversed(image.rows):
            bits = bytearray(stride)
            for x, pixel in enumerate(row):
                if pixel[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
    height = size * 2 if with_mask else size
    header = struct.pack("<IiiHHIIiiII", 40, size, height, 1, 32, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    return header + bytes(pixels) + bytes(mask)


def write_ico(path, images):
    """An icon file of 32-bit images with alpha and AND masks, smallest
    first."""
    images = sorted(images, key=lambda image: image.size)
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for image in images:
        blob = _dib(image, False, True)
        out += struct.pack("<BBBBHHII", image.size % 256, image.size % 256, 0, 0, 1, 32,
                           len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


def write_bmp(path, image):
    """A 32-bit bitmap with premultiplied alpha, the form that menus blend."""
    body = _dib(image, True, False)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40) + body)


def _png(path, width, height, rgb_rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + bytes(row) for row in rgb_rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n"
                + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def take_preview_option(args):
    """Removes "--preview SHEET.png" from the command-line args and answers
    the sheet's name, or None when the option is not there."""
    if "--preview" not in args:
        return None
    at = args.index("--preview")
    if at + 1 >= len(args):
        sys.exit("--preview needs the name of a .png file")
    preview = args[at + 1]
    del args[at:at + 2]
    return preview


BACKGROUNDS = ((240, 240, 240), (32, 32, 36), (0, 84, 166))


def write_preview(path, images, scale=8):
    """A sheet to look at: the pictures side by side, enlarged scale times
    and then at true size, once on each background (light, dark, blue)."""
    pad = 8
    tall = max(image.size for image in images) * scale + 2 * pad
    wide = sum(image.size * (scale + 1) + 2 * pad for image in images) + pad
    canvas = [[bg] * wide for bg in BACKGROUNDS for _ in range(tall)]
    for b, bg in enumerate(BACKGROUNDS):
        x = pad
        for image in images:
            _blit(canvas, image, x, b * tall + pad, scale, bg)
            x += image.size * scale + pad
        for image in images:
            _blit(canvas, image, x, b * tall + pad, 1, bg)
            x += image.size + pad
    _png(path, wide, len(canvas), [[c for pixel in line for c in pixel] for line in canvas])


def _blit(canvas, image, x0, y0, scale, bg):
    for y, row in enumerate(image.rows):
        for x, (r, g, b, a) in enumerate(row):
            colour = tuple(round((c * a + bc * (255 - a)) / 255) for c, bc in zip((r, g, b), bg))
            for dy in range(scale):
                line = canvas[y0 + y * scale + dy]
                for dx in range(scale):
                    line[x0 + x * scale + dx] = colour
