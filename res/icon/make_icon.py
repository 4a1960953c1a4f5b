#!/usr/bin/env python3
"""Draws the Pitchwise application icon from one vector description.

The same shapes give the scalable pitchwise.svg, the PNG images at 16, 32
and 48 pixels, and pitchwise.ico with nine images (48, 32 and 16 pixels,
each at 4, 8 and 24 bits per pixel) for the Windows resource script.

Plain python3, no extra modules; the output is byte-for-byte the same on
every run, so the checked-in files can be compared with a fresh run.

Usage: make_icon.py [OUTPUT_DIR]   (default: this script's folder)
"""

import math
import os
import struct
import sys
import zlib

DESIGN = 48.0  # the shapes are drawn on a 48 x 48 canvas

# The artwork: a steel-blue plate, a scale with pitch marks along the axis,
# and above it the measured error wandering around zero.
PLATE = ("roundrect", (2, 2, 46, 46, 8), (0x1F, 0x4E, 0x79))
SCALE = ("rect", (6, 29, 42, 39), (0xF2, 0xF2, 0xF2))
TICKS = [("rect", (x, 29, x + 2, 34 if i % 2 else 36), (0x1F, 0x4E, 0x79))
         for i, x in enumerate(range(8, 41, 6))]
ERROR = ("polyline", ([(7, 20), (13, 13), (19, 18), (25, 10), (31, 16), (37, 9), (42, 14)], 3.4),
         (0xFF, 0xA0, 0x1C))
SHAPES = [PLATE, SCALE] + TICKS + [ERROR]

SIZES = (48, 32, 16)
ICO_DEPTHS = (4, 8, 24)


def hex_colour(rgb):
    return "#%02x%02x%02x" % rgb


def svg_text():
    lines = ['<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" '
             'viewBox="0 0 48 48">']
    for kind, geometry, rgb in SHAPES:
        if kind == "roundrect":
            x0, y0, x1, y1, r = geometry
            lines.append('  <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>'
                         % (x0, y0, x1 - x0, y1 - y0, r, hex_colour(rgb)))
        elif kind == "rect":
            x0, y0, x1, y1 = geometry
            lines.append('  <rect x="%g" y="%g" width="%g" height="%g" fill="%s"/>'
                         % (x0, y0, x1 - x0, y1 - y0, hex_colour(rgb)))
        else:
            points, width = geometry
            lines.append('  <polyline points="%s" fill="none" stroke="%s" stroke-width="%g" '
                         'stroke-linecap="round" stroke-linejoin="round"/>'
                         % (" ".join("%g,%g" % p for p in points), hex_colour(rgb), width))
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


def inside(kind, geometry, x, y):
    if kind == "rect":
        x0, y0, x1, y1 = geometry
        return x0 <= x < x1 and y0 <= y < y1
    if kind == "roundrect":
        x0, y0, x1, y1, r = geometry
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    points, width = geometry
    half = width / 2
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        if math.hypot(x - ax - t * dx, y - ay - t * dy) <= half:
            return True
    return False


def render(size):
    """RGBA rows, top first; each pixel is the mean of a grid of samples."""
    grid = max(4, 96 // size)
    scale = DESIGN / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(grid):
                for sx in range(grid):
                    x = (px + (sx + 0.5) / grid) * scale
                    y = (py + (sy + 0.5) / grid) * scale
                    colour = None
                    for kind, geometry, rgb in SHAPES:
                        if inside(kind, geometry, x, y):
                            colour = rgb
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            covered = acc[3]
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple((acc[i] + covered // 2) // covered for i in range(3))
                           + ((covered * 255 + grid * grid // 2) // (grid * grid),))
        rows.append(row)
    return rows


def png_bytes(rows):
    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data
                + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))

    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# The 16 colours every 4-bit display has.
VGA_PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
               (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
               (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def cube_palette():
    """A 6x6x6 colour cube followed by 40 greys: 256 entries."""
    levels = [0, 51, 102, 153, 204, 255]
    palette = [(r, g, b) for r in levels for g in levels for b in levels]
    palette += [(v, v, v) for v in (round(i * 255 / 41) for i in range(1, 41))]
    return palette


def nearest(palette, rgb):
    best, best_distance = 0, None
    for index, (r, g, b) in enumerate(palette):
        distance = (r - rgb[0]) ** 2 + (g - rgb[1]) ** 2 + (b - rgb[2]) ** 2
        if best_distance is None or distance < best_distance:
            best, best_distance = index, distance
    return best


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def ico_image(rows, depth):
    """One icon image: header, palette, colour bits and the transparency mask."""
    size = len(rows)
    opaque = [[pixel[3] >= 128 for pixel in row] for row in rows]
    palette = {4: VGA_PALETTE, 8: cube_palette(), 24: []}[depth]
    colour_rows = []
    for y in reversed(range(size)):  # bitmaps are stored bottom row first
        row = rows[y]
        if depth == 24:
            data = b"".join(bytes((p[2], p[1], p[0])) if opaque[y][x] else b"\0\0\0"
                            for x, p in enumerate(row))
        else:
            indices = [nearest(palette, p[:3]) if opaque[y][x] else 0
                       for x, p in enumerate(row)]
            if depth == 8:
                data = bytes(indices)
            else:
                data = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
        colour_rows.append(padded(data))
    mask_rows = []
    for y in reversed(range(size)):
        bits = 0
        data = bytearray()
        for x in range(size):
            bits = (bits << 1) | (0 if opaque[y][x] else 1)
            if x % 8 == 7:
                data.append(bits)
                bits = 0
        mask_rows.append(padded(bytes(data)))
    bits_size = sum(map(len, colour_rows)) + sum(map(len, mask_rows))
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, depth, 0, bits_size, 0, 0,
                         len(palette), 0)
    quads = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + quads + b"".join(colour_rows) + b"".join(mask_rows)


def ico_bytes(images):
    """images: (size, depth, rows) in file order."""
    bodies = [ico_image(rows, depth) for _, depth, rows in images]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for (size, depth, _), body in zip(images, bodies):
        colours = 16 if depth == 4 else 0
        directory += struct.pack("<BBBBHHII", size, size, colours, 0, 1, depth, len(body), offset)
        offset += len(body)
    return directory + b"".join(bodies)


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "pitchwise.svg"), svg_text().encode("ascii"))
    rendered = {size: render(size) for size in SIZES}
    for size in SIZES:
        write(os.path.join(out, "pitchwise-%d.png" % size), png_bytes(rendered[size]))
    images = [(size, depth, rendered[size]) for size in SIZES for depth in ICO_DEPTHS]
    write(os.path.join(out, "pitchwise.ico"), ico_bytes(images))


if __name__ == "__main__":
    main()
