#!/usr/bin/env python3
"""Draws the toolbar images (new, open, save, download, upload, print) as 32-bit BMP files.

Standard library only. Each image is drawn on a 4x finer grid from simple shapes and then averaged
down to 24x24 pixels, so edges are smooth; the alpha channel keeps the toolbar's own background.

Usage: draw_icons.py [OUTPUT_DIR]    (default: the resources folder beside this script's tools/)
"""

import os
import struct
import sys

SIZE = 24
SCALE = 4
FINE = SIZE * SCALE


class Canvas:
    """An RGBA canvas in the fine grid; coordinates are given in final-pixel units."""

    def __init__(self):
        self.px = [[(0, 0, 0, 0)] * FINE for _ in range(FINE)]

    def _put(self, x, y, color):
        if 0 <= x < FINE and 0 <= y < FINE:
            self.px[y][x] = color + (255,) if len(color) == 3 else color

    def rect(self, x0, y0, x1, y1, color):
        """Fills the rectangle [x0, x1) x [y0, y1)."""
        for y in range(round(y0 * SCALE), round(y1 * SCALE)):
            for x in range(round(x0 * SCALE), round(x1 * SCALE)):
                self._put(x, y, color)

    def frame(self, x0, y0, x1, y1, color, width=1.0):
        self.rect(x0, y0, x1, y0 + width, color)
        self.rect(x0, y1 - width, x1, y1, color)
        self.rect(x0, y0, x0 + width, y1, color)
        self.rect(x1 - width, y0, x1, y1, color)

    def polygon(self, points, color):
        """Fills a polygon (even-odd rule), sampling each fine pixel at its centre."""
        pts = [(px * SCALE, py * SCALE) for px, py in points]
        ys = [p[1] for p in pts]
        for y in range(max(0, int(min(ys))), min(FINE, int(max(ys)) + 1)):
            cy = y + 0.5
            xs = []
            for i in range(len(pts)):
                (ax, ay), (bx, by) = pts[i], pts[(i + 1) % len(pts)]
                if (ay <= cy < by) or (by <= cy < ay):
                    xs.append(ax + (cy - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(max(0, int(a + 0.5)), min(FINE, int(b + 0.5))):
                    self._put(x, y, color)

    def line(self, x0, y0, x1, y1, color, width=1.0):
        """A straight stroke as a thin polygon."""
        dx, dy = x1 - x0, y1 - y0
        length = (dx * dx + dy * dy) ** 0.5 or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny),
                      (x0 - nx, y0 - ny)], color)

    def downsample(self):
        """Averages each SCALE x SCALE block into one pixel (colour weighted by alpha)."""
        out = []
        for y in range(SIZE):
            row = []
            for x in range(SIZE):
                r = g = b = a = 0
                for sy in range(SCALE):
                    for sx in range(SCALE):
                        pr, pg, pb, pa = self.px[y * SCALE + sy][x * SCALE + sx]
                        r += pr * pa
                        g += pg * pa
                        b += pb * pa
                        a += pa
                n = SCALE * SCALE
                if a:
                    row.append((round(r / a), round(g / a), round(b / a), round(a / n)))
                else:
                    row.append((0, 0, 0, 0))
            out.append(row)
        return out


def write_bmp(path, pixels):
    """Writes a bottom-up 32-bit BMP with a BITMAPV5HEADER and an alpha mask."""
    height, width = len(pixels), len(pixels[0])
    data = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            data += bytes((b, g, r, a))
    header_size = 124
    offset = 14 + header_size
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack(
        "<IiiHHIIiiII",
        header_size, width, height, 1, 32, 3,  # BI_BITFIELDS
        len(data), 2835, 2835, 0, 0)
    masks = struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    cs_type = struct.pack("<I", 0x73524742)  # 'sRGB'
    rest = bytes(36) + struct.pack("<III", 0, 0, 0) + struct.pack("<IIII", 4, 0, 0, 0)
    info_full = info + masks + cs_type + rest
    assert len(info_full) == header_size
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(file_header + info_full + data)
    os.replace(tmp, path)


OUTLINE = (60, 60, 70)
PAPER = (255, 255, 255)
FOLD = (210, 214, 222)
FOLDER = (240, 190, 60)
FOLDER_DARK = (190, 135, 30)
DISK = (45, 90, 170)
DISK_DARK = (25, 55, 115)
LABEL = (235, 238, 245)
METAL = (180, 185, 195)
DEVICE = (95, 105, 120)
SCREEN = (120, 200, 120)
SEND = (40, 150, 60)
RECEIVE = (30, 110, 200)
PRINTER = (150, 155, 165)


def draw_new():
    c = Canvas()
    c.polygon([(5, 2), (15, 2), (20, 7), (20, 22), (5, 22)], OUTLINE)
    c.polygon([(6, 3), (14.5, 3), (19, 7.5), (19, 21), (6, 21)], PAPER)
    c.polygon([(14, 2.5), (14, 8), (19.5, 8)], OUTLINE)
    c.polygon([(14.8, 3.6), (14.8, 7.2), (18.4, 7.2)], FOLD)
    for y in (11, 14, 17):
        c.rect(8, y, 17, y + 1, FOLD)
    return c


def draw_open():
    c = Canvas()
    c.polygon([(2, 5), (9, 5), (11, 7), (20, 7), (20, 20), (2, 20)], FOLDER_DARK)
    c.rect(3, 8, 19, 19, (250, 225, 150))
    c.polygon([(5.5, 11), (23, 11), (19.5, 20), (2, 20)], OUTLINE)
    c.polygon([(6.2, 12), (21.6, 12), (18.8, 19), (3.4, 19)], FOLDER)
    return c


def draw_save():
    c = Canvas()
    c.polygon([(3, 3), (18, 3), (21, 6), (21, 21), (3, 21)], DISK_DARK)
    c.polygon([(4, 4), (17.6, 4), (20, 6.4), (20, 20), (4, 20)], DISK)
    c.rect(7, 4, 17, 10, METAL)
    c.rect(13, 5, 15.5, 9, DISK_DARK)
    c.rect(6, 13, 18, 20, LABEL)
    c.rect(8, 15, 16, 16, FOLD)
    c.rect(8, 17.5, 16, 18.5, FOLD)
    return c


def draw_device(c):
    """The instrument: a panel meter with a display window, in the lower part of the image."""
    c.rect(4, 14, 20, 23, OUTLINE)
    c.rect(5, 15, 19, 22, DEVICE)
    c.rect(7, 16.5, 17, 20.5, SCREEN)
    c.rect(8, 18, 10, 19, (40, 90, 40))
    c.rect(11, 18, 13, 19, (40, 90, 40))
    c.rect(14, 18, 16, 19, (40, 90, 40))


def draw_download():
    c = Canvas()
    draw_device(c)
    # arrow pointing down into the instrument: the configuration goes to it
    c.rect(9.5, 1, 14.5, 8, SEND)
    c.polygon([(5.5, 7), (18.5, 7), (12, 13.5)], SEND)
    return c


def draw_upload():
    c = Canvas()
    draw_device(c)
    # arrow pointing up out of the instrument: the configuration comes back from it
    c.polygon([(5.5, 7.5), (18.5, 7.5), (12, 1)], RECEIVE)
    c.rect(9.5, 7, 14.5, 13.5, RECEIVE)
    return c


def draw_print():
    c = Canvas()
    c.rect(6, 2, 18, 10, OUTLINE)
    c.rect(7, 3, 17, 10, PAPER)
    c.rect(2, 9, 22, 18, OUTLINE)
    c.rect(3, 10, 21, 17, PRINTER)
    c.rect(17, 11.5, 19.5, 13, SEND)
    c.rect(6, 15, 18, 22, OUTLINE)
    c.rect(7, 16, 17, 21, PAPER)
    c.rect(8.5, 17.5, 15.5, 18.3, FOLD)
    c.rect(8.5, 19.2, 14, 20, FOLD)
    return c


ICONS = {
    "new.bmp": draw_new,
    "open.bmp": draw_open,
    "save.bmp": draw_save,
    "download.bmp": draw_download,
    "upload.bmp": draw_upload,
    "print.bmp": draw_print,
}


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = argv[1] if len(argv) > 1 else os.path.join(here, "..", "..", "resources")
    for name, draw in ICONS.items():
        write_bmp(os.path.join(out_dir, name), draw().downsample())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
