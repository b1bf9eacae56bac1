#!/usr/bin/env python3
"""Draws the wizard's pictures and writes them next to this script.

    picture.bmp  82 x 30, 24 bits: the printer shown in the top-right corner of every page
    folders.bmp  64 x 16, 16 colours: closed, closed highlighted, open, open highlighted folder
    app.ico      32 x 32 and 16 x 16, 16 colours: the application's printer icon

Magenta RGB(255, 0, 255) is the background of both bitmaps; the pages and the tree's image
list treat it as transparent. The icon carries its own transparency mask instead.

Only the standard library is used. The generated files are committed, so the build does not
run this script; run it again after changing a drawing:  python3 res/make_images.py
"""

import os
import struct

MAGENTA = (255, 0, 255)

# The standard 16-colour palette, in the order Windows uses it.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, OLIVE, SILVER, GRAY = VGA[0], VGA[4], VGA[3], VGA[7], VGA[8]
LIME, YELLOW, WHITE = VGA[10], VGA[11], VGA[15]


class Canvas:
    def __init__(self, width, height, background):
        self.width, self.height = width, height
        self.pixels = [[background] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.fill(x0, y0, x1, y0, colour)
        self.fill(x0, y1, x1, y1, colour)
        self.fill(x0, y0, x0, y1, colour)
        self.fill(x1, y0, x1, y1, colour)

    def art(self, x0, y0, rows, colours):
        """Paints character art; characters missing from `colours` leave the canvas alone."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in colours:
                    self.put(x0 + dx, y0 + dy, colours[ch])


# ---------------------------------------------------------------------------------------------
# Drawings

def shade(top, bottom, t):
    return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))


def draw_picture():
    """A wide desktop printer: a sheet in the feeder at the back, one coming out at the front."""
    c = Canvas(82, 30, MAGENTA)
    # Sheet standing in the rear feeder, with a few lines of text.
    c.fill(24, 0, 57, 9, (252, 252, 252))
    c.frame(24, 0, 57, 9, (150, 150, 156))
    for y in (3, 5, 7):
        c.fill(28, y, 53 if y != 7 else 44, y, (170, 176, 196))
    # Feeder guide behind the sheet.
    c.fill(20, 7, 61, 9, (96, 100, 112))
    # Body: a rounded box shaded from light to dark.
    x0, y0, x1, y1 = 2, 9, 79, 26
    for y in range(y0, y1 + 1):
        c.fill(x0, y, x1, y, shade((232, 234, 240), (150, 154, 166), (y - y0) / (y1 - y0)))
    c.frame(x0, y0, x1, y1, (52, 56, 68))
    for corner_x, corner_y in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
        c.put(corner_x, corner_y, MAGENTA)
    c.fill(x0 + 1, y0 + 1, x1 - 1, y0 + 1, (255, 255, 255))  # top highlight
    # Lid seam and the dark band of the output slot.
    c.fill(x0 + 1, 14, x1 - 1, 14, (170, 174, 186))
    c.fill(10, 20, 60, 21, (40, 42, 50))
    # Control panel: display, buttons and a green power light.
    c.fill(64, 12, 75, 17, (70, 74, 88))
    c.fill(65, 13, 71, 15, (120, 200, 230))
    c.fill(73, 13, 74, 14, (40, 220, 60))
    c.fill(65, 17, 66, 17, (200, 204, 214))
    c.fill(68, 17, 69, 17, (200, 204, 214))
    # Badge on the front.
    c.fill(6, 16, 8, 17, (40, 90, 200))
    # Printed sheet leaving the slot.
    c.fill(14, 21, 56, 29, (252, 252, 252))
    c.frame(14, 21, 56, 29, (150, 150, 156))
    c.fill(15, 22, 55, 22, (214, 214, 220))  # shadow of the slot on the paper
    for y in (24, 26, 28):
        c.fill(18, y, 52 if y != 26 else 40, y, (60, 60, 70))
    return c


def draw_printer_icon(size):
    """The application icon in the 16 standard colours; True marks transparent pixels."""
    c = Canvas(size, size, None)
    if size == 32:
        c.fill(9, 1, 22, 11, WHITE)  # sheet in the feeder
        c.frame(9, 1, 22, 11, GRAY)
        for y in (4, 6, 8):
            c.fill(11, y, 20 if y != 8 else 16, y, SILVER)
        c.fill(1, 11, 30, 24, SILVER)  # body
        c.frame(1, 11, 30, 24, BLACK)
        c.fill(2, 12, 29, 12, WHITE)
        c.fill(2, 13, 2, 23, WHITE)
        c.fill(2, 22, 29, 23, GRAY)
        c.fill(7, 11, 24, 11, GRAY)  # feeder slot
        c.fill(25, 15, 26, 16, LIME)  # power light
        c.fill(6, 19, 25, 19, BLACK)  # output slot
        c.fill(8, 20, 23, 30, WHITE)  # printed sheet
        c.frame(8, 20, 23, 30, GRAY)
        for y in (23, 25, 27):
            c.fill(10, y, 21 if y != 25 else 17, y, BLACK)
    else:
        c.fill(4, 0, 11, 5, WHITE)
        c.frame(4, 0, 11, 5, GRAY)
        c.fill(6, 2, 9, 2, SILVER)
        c.fill(0, 5, 15, 12, SILVER)
        c.frame(0, 5, 15, 12, BLACK)
        c.fill(1, 6, 14, 6, WHITE)
        c.fill(1, 11, 14, 11, GRAY)
        c.put(13, 8, LIME)
        c.fill(3, 9, 12, 9, BLACK)
        c.fill(4, 10, 11, 15, WHITE)
        c.frame(4, 10, 11, 15, GRAY)
        c.fill(6, 12, 9, 12, BLACK)
        c.fill(6, 14, 8, 14, BLACK)
    return c


CLOSED_FOLDER = [
    "................",
    "................",
    "..OOOOO.........",
    ".OYYYYYO........",
    "OWWWWWWWOOOOOOO.",
    "OWYYYYYYYYYYYYOK",
    "OWYYYYYYYYYYYYOK",
    "OWYYYYYYYYYYYYOK",
    "OWYYYYYYYYYYYYOK",
    "OWYYYYYYYYYYYYOK",
    "OWYYYYYYYYYYYYOK",
    "OWYYYYYYYYYYYYOK",
    "OWYYYYYYYYYYYYOK",
    "OOOOOOOOOOOOOOOK",
    ".KKKKKKKKKKKKKKK",
    "................",
]

OPEN_FOLDER = [
    "................",
    "................",
    ".OOOOO..........",
    "OYYYYYO.........",
    "OYWWWWWOOOOOO...",
    "OYWYYYYYYYYYO...",
    "OYWYYYYYYYYYO...",
    "OYWYOOOOOOOOOOOO",
    "OYWOYYYYYYYYYYOK",
    "OYOYYYYYYYYYYOK.",
    "OYOYYYYYYYYYYOK.",
    "OOYYYYYYYYYYOK..",
    "OOYYYYYYYYYYOK..",
    "OOOOOOOOOOOOK...",
    ".KKKKKKKKKKKK...",
    "................",
]

FOLDER_COLOURS = {"O": OLIVE, "Y": YELLOW, "W": WHITE, "K": BLACK}


def draw_folders():
    c = Canvas(64, 16, MAGENTA)
    for index, rows in enumerate((CLOSED_FOLDER, CLOSED_FOLDER, OPEN_FOLDER, OPEN_FOLDER)):
        c.art(index * 16, 0, rows, FOLDER_COLOURS)
        if index % 2:
            # Highlighted: every other pixel inside the outline turns navy, as a selected item is dithered.
            for y in range(16):
                for x in range(16):
                    if (x + y) % 2 == 0 and rows[y][x] in "YW":
                        c.pixels[y][index * 16 + x] = NAVY
    return c


# ---------------------------------------------------------------------------------------------
# File formats

def info_header(width, height, bits, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 2835, 2835,
                       colours, 0)


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def pad(row):
    return row + b"\0" * (-len(row) % 4)


def rows_24(c):
    return [pad(b"".join(struct.pack("<BBB", b, g, r) for r, g, b in row)) for row in c.pixels]


def rows_4(c, palette, transparent_index=0):
    out = []
    for row in c.pixels:
        indices = [transparent_index if p is None else palette.index(p) for p in row]
        if len(indices) % 2:
            indices.append(0)
        out.append(pad(bytes((indices[i] << 4) | indices[i + 1] for i in range(0, len(indices), 2))))
    return out


def rows_mask(c):
    out = []
    for row in c.pixels:
        bits = bytearray((len(row) + 7) // 8)
        for x, p in enumerate(row):
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        out.append(pad(bytes(bits)))
    return out


def bmp_file(c, bits):
    palette = b"" if bits == 24 else palette_bytes(VGA)
    rows = rows_24(c) if bits == 24 else rows_4(c, VGA)
    pixels = b"".join(reversed(rows))  # bottom-up
    header = info_header(c.width, c.height, bits, len(pixels), 0 if bits == 24 else 16)
    offset = 14 + len(header) + len(palette)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + header + palette + pixels


def ico_file(canvases):
    images = []
    for c in canvases:
        xor = b"".join(reversed(rows_4(c, VGA)))
        mask = b"".join(reversed(rows_mask(c)))
        images.append(info_header(c.width, c.height * 2, 4, len(xor) + len(mask), 16)
                      + palette_bytes(VGA) + xor + mask)
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.width, c.height, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, data in (("picture.bmp", bmp_file(draw_picture(), 24)),
                       ("folders.bmp", bmp_file(draw_folders(), 4)),
                       ("app.ico", ico_file([draw_printer_icon(32), draw_printer_icon(16)]))):
        with open(os.path.join(here, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    for art in (CLOSED_FOLDER, OPEN_FOLDER):
        assert len(art) == 16 and all(len(row) == 16 for row in art)
    main()
