#!/usr/bin/env python3
"""Draws the program's icon, a red flag planted on a fenced green plot, and writes it as an
ICO file with 16, 32 and 48 pixel images in 32-bit colour with alpha.

    python3 tools/make_icon.py [OUT.ico] [--png PREVIEW.png]

Plain Python: the shapes are sampled 4 x 4 per pixel for smooth edges, and the ICO, BMP and
PNG bytes are written here. The output is the same on every run, so the committed icon can be
regenerated and compared.
"""
import struct
import sys
import zlib

SIZES = (16, 32, 48)
SAMPLES = 4  # per pixel and axis

# Colours as (r, g, b).
GRASS_TOP = (104, 176, 72)
GRASS_LIT = (138, 204, 96)
SOIL = (140, 94, 52)
SOIL_DARK = (104, 68, 38)
OUTLINE = (46, 64, 34)
POLE = (70, 62, 56)
FLAG = (214, 40, 40)
FLAG_DARK = (160, 24, 28)
POST = (236, 224, 196)


def inside_polygon(x, y, pts):
    """Even-odd rule."""
    inside = False
    n = len(pts)
    for i in range(n):
        x0, y0 = pts[i]
        x1, y1 = pts[(i + 1) % n]
        if (y0 > y) != (y1 > y):
            if x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                inside = not inside
    return inside


def segment_distance(x, y, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    px, py = ax + t * dx, ay + t * dy
    return ((x - px) ** 2 + (y - py) ** 2) ** 0.5


# The scene in unit coordinates (0..1 across and down), painted back to front. Each layer is
# (test(x, y), colour); the last layer that covers a sample gives its colour.
TOP = [(0.06, 0.70), (0.50, 0.50), (0.94, 0.70), (0.50, 0.90)]           # the plot's surface
LEFT_SIDE = [(0.06, 0.70), (0.50, 0.90), (0.50, 0.98), (0.06, 0.78)]    # soil, lit side
RIGHT_SIDE = [(0.50, 0.90), (0.94, 0.70), (0.94, 0.78), (0.50, 0.98)]   # soil, shaded side
LIT_PATCH = [(0.26, 0.70), (0.50, 0.59), (0.74, 0.70), (0.50, 0.81)]
FLAG_CLOTH = [(0.53, 0.06), (0.92, 0.13), (0.86, 0.25), (0.94, 0.37), (0.53, 0.33)]
FLAG_FOLD = [(0.53, 0.22), (0.78, 0.27), (0.94, 0.37), (0.53, 0.33)]
POLE_FOOT = (0.50, 0.72)
POLE_TOP = (0.50, 0.04)
CORNER_POSTS = [(0.06, 0.70), (0.50, 0.50), (0.94, 0.70), (0.50, 0.90)]


def scene(size):
    # Lines keep at least about one pixel of width at every size.
    line = max(0.045, 1.1 / size)
    pole = max(0.035, 0.9 / size)
    post = max(0.04, 1.0 / size)
    edges = [(TOP[i], TOP[(i + 1) % 4]) for i in range(4)]
    return [
        (lambda x, y: inside_polygon(x, y, LEFT_SIDE), SOIL),
        (lambda x, y: inside_polygon(x, y, RIGHT_SIDE), SOIL_DARK),
        (lambda x, y: inside_polygon(x, y, TOP), GRASS_TOP),
        (lambda x, y: size >= 32 and inside_polygon(x, y, LIT_PATCH), GRASS_LIT),
        (lambda x, y: any(segment_distance(x, y, a, b) < line / 2 for a, b in edges), OUTLINE),
        (lambda x, y: size >= 32 and any(((x - px) ** 2 + (y - py) ** 2) ** 0.5 < post
                                         for px, py in CORNER_POSTS), POST),
        (lambda x, y: segment_distance(x, y, POLE_FOOT, POLE_TOP) < pole / 2 + 0.012, POLE),
        (lambda x, y: inside_polygon(x, y, FLAG_CLOTH), FLAG),
        (lambda x, y: inside_polygon(x, y, FLAG_FOLD), FLAG_DARK),
    ]


def render(size):
    """Returns size*size (r, g, b, a) tuples, top row first."""
    layers = scene(size)
    pixels = []
    step = 1.0 / (size * SAMPLES)
    for py in range(size):
        for px in range(size):
            r = g = b = covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px * SAMPLES + sx + 0.5) * step
                    y = (py * SAMPLES + sy + 0.5) * step
                    colour = None
                    for test, c in layers:
                        if test(x, y):
                            colour = c
                    if colour:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        covered += 1
            if covered:
                pixels.append((round(r / covered), round(g / covered), round(b / covered),
                               round(255 * covered / (SAMPLES * SAMPLES))))
            else:
                pixels.append((0, 0, 0, 0))
    return pixels


def bmp_image(size, pixels):
    """An ICO image entry: BITMAPINFOHEADER of twice the height, BGRA rows bottom-up, then
    the 1-bit AND mask (set where transparent), rows padded to 32 bits."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = pixels[y * size + x]
            colour += bytes((b, g, r, a))
    row_bytes = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(size):
            if pixels[y * size + x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(colour) + bytes(mask)


def ico_file(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    data = b""
    for size, body in images:
        dim = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
        data += body
    return out + entries + data


def png_file(width, height, rgba_rows):
    def chunk(kind, payload):
        return (struct.pack(">I", len(payload)) + kind + payload +
                struct.pack(">I", zlib.crc32(kind + payload) & 0xFFFFFFFF))
    raw = b"".join(b"\x00" + row for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def preview(rendered, scale=4):
    """All sizes side by side, each enlarged, on a light grey checker board."""
    width = sum(s * scale for s in SIZES) + 8 * (len(SIZES) + 1)
    height = max(SIZES) * scale + 16
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            shade = 200 if ((x // 8) + (y // 8)) % 2 else 235
            row += bytes((shade, shade, shade, 255))
        rows.append(row)
    left = 8
    for size in SIZES:
        pixels = rendered[size]
        for y in range(size * scale):
            for x in range(size * scale):
                r, g, b, a = pixels[(y // scale) * size + x // scale]
                i = (left + x) * 4
                row = rows[8 + y]
                for c, v in enumerate((r, g, b)):
                    row[i + c] = (v * a + row[i + c] * (255 - a)) // 255
        left += size * scale + 8
    return png_file(width, height, [bytes(r) for r in rows])


def main(argv):
    out = "src/app/territory.ico"
    png = None
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--png":
            png = args.pop(0)
        else:
            out = a
    rendered = {size: render(size) for size in SIZES}
    with open(out, "wb") as f:
        f.write(ico_file([(size, bmp_image(size, rendered[size])) for size in SIZES]))
    if png:
        with open(png, "wb") as f:
            f.write(preview(rendered))


if __name__ == "__main__":
    main(sys.argv[1:])
