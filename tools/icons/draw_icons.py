#!/usr/bin/env python3
"""Draws the toolbar images and the program's icon from one set of vector shapes.

Standard library only. Every image is a list of filled shapes (polygons, even-odd rule) on a grid
of whole pixels, written three ways from the same shapes:

- resources/<name>.svg: the toolbar images as vector files. They are drawn on a 24-pixel grid and
  say they are 20 pixels large: the toolbar shows its images at 1.2 times their size, so each edge
  lands on a whole pixel at 24 pixels (and at 48 on a screen of twice the density).
- resources/<name>.bmp: the same images as 20x20 32-bit bitmaps with alpha, the names the program
  asks for, used when a vector file is missing.
- resources/kr7m.svg and packaging/icons/kr7m-<size>.png: the program's icon for the desktop.

Usage: draw_icons.py [RESOURCES_DIR [ICONS_DIR]]   (defaults: resources/ and packaging/icons/)
"""

import math
import os
import struct
import sys
import zlib

# ---- shapes ----------------------------------------------------------------------------------
# A shape is (colour, [subpath, ...]); a subpath is a closed list of (x, y) points. Colours are
# (r, g, b) or (r, g, b, a).


def rect(x0, y0, x1, y1, radius=0.0):
    """A rectangle, its corners rounded with the radius."""
    if radius <= 0:
        return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]
    pts = []
    corners = [(x1 - radius, y0 + radius, -90), (x1 - radius, y1 - radius, 0),
               (x0 + radius, y1 - radius, 90), (x0 + radius, y0 + radius, 180)]
    for cx, cy, start in corners:
        for step in range(7):
            a = math.radians(start + step * 15)
            pts.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    return pts


def circle(cx, cy, r, steps=48):
    return [(cx + r * math.cos(2 * math.pi * k / steps), cy + r * math.sin(2 * math.pi * k / steps))
            for k in range(steps)]


def ring(outer, inner):
    """An outline: the area between two closed paths (even-odd)."""
    return [outer, inner]


def bar(x0, y0, x1, y1, width):
    """A straight stroke with square ends."""
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy) or 1.0
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    return [(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]


# ---- palette: one set of colours for every image ------------------------------------------------
INK = (52, 64, 82)          # outlines and dark parts
PAPER = (255, 255, 255)
PAPER_LINE = (190, 199, 212)
BLUE = (33, 118, 210)
BLUE_DARK = (22, 82, 155)
GREEN = (36, 160, 90)
AMBER = (244, 184, 64)
AMBER_DARK = (212, 146, 36)
METAL = (214, 221, 230)
BODY = (96, 110, 130)
SCREEN = (28, 40, 52)
LED = (84, 214, 130)


def toolbar_new():
    page = [(5, 2), (14, 2), (19, 7), (19, 22), (5, 22)]
    inner = [(6, 3), (13.586, 3), (18, 7.414), (18, 21), (6, 21)]
    return [
        (INK, [page]),
        (PAPER, [inner]),
        (INK, [[(13, 2), (14, 2), (14, 7), (19, 7), (19, 8), (13, 8)]]),
        (PAPER_LINE, [rect(8, 11, 16, 12), rect(8, 14, 13, 15)]),
        (PAPER, [circle(17, 17, 6)]),
        (GREEN, [circle(17, 17, 5)]),
        (PAPER, [[(16, 14), (18, 14), (18, 16), (20, 16), (20, 18), (18, 18), (18, 20), (16, 20),
                  (16, 18), (14, 18), (14, 16), (16, 16)]]),
    ]


def toolbar_open():
    back = [(2, 4), (9, 4), (11, 6), (20, 6), (20, 20), (2, 20)]
    return [
        (AMBER_DARK, [back]),
        (PAPER, [rect(4, 8, 18, 14)]),
        (PAPER_LINE, [rect(6, 10, 16, 11)]),
        (AMBER, [[(5, 11), (23, 11), (20, 20), (2, 20)]]),
    ]


def toolbar_save():
    body = [(3, 3), (18, 3), (21, 6), (21, 21), (3, 21)]
    return [
        (BLUE_DARK, [body]),
        (BLUE, [[(4, 4), (17.586, 4), (20, 6.414), (20, 20), (4, 20)]]),
        (METAL, [rect(7, 4, 16, 9)]),
        (BLUE_DARK, [rect(12, 5, 14, 8)]),
        (PAPER, [rect(6, 12, 18, 20, 1)]),
        (PAPER_LINE, [rect(8, 14, 16, 15), rect(8, 17, 14, 18)]),
    ]


def instrument():
    """The instrument, in the lower part of the image: a case with a lit display."""
    return [
        (INK, [rect(3, 13, 21, 22, 2)]),
        (BODY, [rect(4, 14, 20, 21, 1)]),
        (SCREEN, [rect(6, 16, 15, 19)]),
        (LED, [rect(7, 17, 9, 18), rect(10, 17, 12, 18), rect(13, 17, 14, 18)]),
        (LED, [rect(17, 16, 18, 17)]),
    ]


def toolbar_download():
    # The configuration goes down into the instrument.
    return instrument() + [
        (GREEN, [rect(10, 1, 14, 7)]),
        (GREEN, [[(6, 6), (18, 6), (12, 12)]]),
    ]


def toolbar_upload():
    # The configuration comes up out of the instrument.
    return instrument() + [
        (BLUE, [[(6, 7), (18, 7), (12, 1)]]),
        (BLUE, [rect(10, 6, 14, 12)]),
    ]


def toolbar_print():
    return [
        (INK, [rect(6, 2, 18, 9)]),
        (PAPER, [rect(7, 3, 17, 9)]),
        (INK, [rect(2, 8, 22, 18, 2)]),
        (BODY, [rect(3, 9, 21, 17, 1)]),
        (LED, [rect(17, 11, 19, 12)]),
        (INK, [rect(6, 14, 18, 22)]),
        (PAPER, [rect(7, 15, 17, 21)]),
        (PAPER_LINE, [rect(9, 17, 15, 18), rect(9, 19, 13, 20)]),
    ]


def program_icon():
    """The program's icon on a 64 grid: the instrument's front, a wave on its display."""
    wave_top, wave = [], []
    for k in range(41):
        x = 14 + 36 * k / 40
        wave_top.append((x, 31 - 8 * math.sin(2 * math.pi * k / 40)))
    wave = wave_top + [(x, y + 3.5) for x, y in reversed(wave_top)]
    return [
        (BLUE_DARK, [rect(4, 4, 60, 60, 10)]),
        (BLUE, [rect(6, 6, 58, 58, 8)]),
        (SCREEN, [rect(11, 13, 53, 47, 4)]),
        (LED, [wave]),
        (METAL, [rect(12, 51, 22, 54, 1.5), rect(27, 51, 37, 54, 1.5), rect(42, 51, 52, 54, 1.5)]),
    ]


TOOLBAR = {
    "new": toolbar_new,
    "open": toolbar_open,
    "save": toolbar_save,
    "download": toolbar_download,
    "upload": toolbar_upload,
    "print": toolbar_print,
}
TOOLBAR_GRID = 24     # units of the shapes above
TOOLBAR_STATED = 20   # size the vector files state; shown at 1.2 times that: 24 pixels
BITMAP_SIZE = 20
ICON_GRID = 64
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


# ---- writers ---------------------------------------------------------------------------------
def hex_colour(colour):
    return "#%02x%02x%02x" % colour[:3]


def svg_text(shapes, grid, stated):
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           f'<svg xmlns="http://www.w3.org/2000/svg" width="{stated}" height="{stated}" '
           f'viewBox="0 0 {grid} {grid}">']
    for colour, paths in shapes:
        d = " ".join("M" + " L".join(f"{x:.3f} {y:.3f}".replace(".000", "") for x, y in path) + "Z"
                     for path in paths)
        opacity = f' fill-opacity="{colour[3] / 255:.3f}"' if len(colour) == 4 else ""
        out.append(f'  <path fill="{hex_colour(colour)}"{opacity} fill-rule="evenodd" d="{d}"/>')
    out.append("</svg>")
    return "\n".join(out) + "\n"


def rasterize(shapes, grid, size, sub=8):
    """Paints the shapes at size x size pixels: exact coverage across, `sub` samples down."""
    scale = size / grid
    pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]
    for colour, paths in shapes:
        alpha = (colour[3] / 255) if len(colour) == 4 else 1.0
        edges = []
        for path in paths:
            pts = [(x * scale, y * scale) for x, y in path]
            for i in range(len(pts)):
                (ax, ay), (bx, by) = pts[i], pts[(i + 1) % len(pts)]
                if ay != by:
                    edges.append((ax, ay, bx, by))
        cover = [[0.0] * size for _ in range(size)]
        for row in range(size * sub):
            cy = (row + 0.5) / sub
            xs = sorted(ax + (cy - ay) * (bx - ax) / (by - ay) for ax, ay, bx, by in edges
                        if (ay <= cy < by) or (by <= cy < ay))
            line = cover[row // sub]
            for a, b in zip(xs[0::2], xs[1::2]):
                a, b = max(a, 0.0), min(b, float(size))
                if b <= a:
                    continue
                first, last = int(a), min(int(math.ceil(b)) - 1, size - 1)
                for px in range(first, last + 1):
                    line[px] += (min(b, px + 1) - max(a, px)) / sub
        for y in range(size):
            for x in range(size):
                c = min(cover[y][x], 1.0) * alpha
                if c <= 0:
                    continue
                r, g, b, a = pixels[y][x]
                # "over", with premultiplied colours
                pixels[y][x] = (colour[0] * c + r * (1 - c), colour[1] * c + g * (1 - c),
                                colour[2] * c + b * (1 - c), c + a * (1 - c))
    out = []
    for row in pixels:
        line = []
        for r, g, b, a in row:
            if a <= 0:
                line.append((0, 0, 0, 0))
            else:
                line.append((round(r / a), round(g / a), round(b / a), round(a * 255)))
        out.append(line)
    return out


def write_file(path, data):
    """Replaces the file only with a complete new one."""
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def bmp_bytes(pixels):
    """A bottom-up 32-bit BMP with a BITMAPV5HEADER and an alpha mask."""
    height, width = len(pixels), len(pixels[0])
    data = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            data += bytes((b, g, r, a))
    header_size = 124
    offset = 14 + header_size
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, 32, 3,  # BI_BITFIELDS
                       len(data), 2835, 2835, 0, 0)
    masks = struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    cs_type = struct.pack("<I", 0x73524742)  # 'sRGB'
    rest = bytes(36) + struct.pack("<III", 0, 0, 0) + struct.pack("<IIII", 4, 0, 0, 0)
    info_full = info + masks + cs_type + rest
    assert len(info_full) == header_size
    return file_header + info_full + bytes(data)


def png_bytes(pixels):
    height, width = len(pixels), len(pixels[0])
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for px in row:
            raw += bytes(px)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    top = os.path.join(here, "..", "..")
    resources = argv[1] if len(argv) > 1 else os.path.join(top, "resources")
    icons = argv[2] if len(argv) > 2 else os.path.join(top, "packaging", "icons")
    os.makedirs(icons, exist_ok=True)
    for name, draw in TOOLBAR.items():
        shapes = draw()
        write_file(os.path.join(resources, name + ".svg"),
                   svg_text(shapes, TOOLBAR_GRID, TOOLBAR_STATED).encode())
        write_file(os.path.join(resources, name + ".bmp"),
                   bmp_bytes(rasterize(shapes, TOOLBAR_GRID, BITMAP_SIZE)))
    shapes = program_icon()
    write_file(os.path.join(icons, "kr7m.svg"), svg_text(shapes, ICON_GRID, ICON_GRID).encode())
    for size in ICON_SIZES:
        write_file(os.path.join(icons, f"kr7m-{size}.png"),
                   png_bytes(rasterize(shapes, ICON_GRID, size)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
