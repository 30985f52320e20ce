#!/usr/bin/env python3
"""Draws Tessaly's icons and writes them as .ico files (16 colours).

Each file holds a 32 x 32 image, and the application logo, which is also the program
file's icon, a 16 x 16 one as well: each a 4-bit bitmap with the standard 16-colour
palette and a 1-bit AND mask that makes the pixels outside the drawing transparent. Only
the Python standard library is used, so the icons can be redrawn anywhere:

    python3 tools/icons/make_icons.py [OUTPUT-DIR]   (default: src/app/win32/res)
"""

import math
import os
import struct
import sys

SIZE = 32

# The standard VGA palette, as (red, green, blue); the index is the colour number.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
CLEAR = None  # a transparent pixel


class Canvas:
    """A square grid (32 x 32 unless given) of palette indices or CLEAR, row 0 at the top."""

    def __init__(self, size=SIZE):
        self.size = size
        self.pixels = [[CLEAR] * size for _ in range(size)]

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the pixels x0..x1, y0..y1 (both ends included)."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0, colour)
        self.rect(x0, y1, x1, y1, colour)
        self.rect(x0, y0, x0, y1, colour)
        self.rect(x1, y0, x1, y1, colour)

    def ring(self, cx, cy, inner, outer, colour):
        """Fills the pixels whose centres lie between the two radii."""
        for y in range(self.size):
            for x in range(self.size):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if inner <= d < outer:
                    self.put(x, y, colour)


def draw_disc(c, sheen):
    """A disc seen from the front: silver face, grey rim, hub and a clear hole."""
    cx = cy = SIZE / 2
    c.ring(cx, cy, 0, 15.5, GRAY)
    c.ring(cx, cy, 0, 14.5, SILVER)
    c.ring(cx, cy, 8, 13.5, AQUA)  # the recorded area
    if sheen:
        # A light band across the upper left of the face.
        for y in range(SIZE):
            for x in range(SIZE):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if 7 <= d < 14 and -3 <= (x - y) <= 3 and x + y < SIZE - 2:
                    c.put(x, y, WHITE)
    c.ring(cx, cy, 0, 6, WHITE)
    c.ring(cx, cy, 5, 6, GRAY)
    c.ring(cx, cy, 0, 2.5, CLEAR)


def draw_letter_t(c, colour, shadow):
    """A bold T over the disc, with a one-pixel shadow to the lower right."""
    for dx, dy, col in ((1, 1, shadow), (0, 0, colour)):
        c.rect(8 + dx, 7 + dy, 23 + dx, 10 + dy, col)
        c.rect(14 + dx, 7 + dy, 17 + dx, 24 + dy, col)


def application_logo():
    c = Canvas()
    draw_disc(c, sheen=False)
    draw_letter_t(c, NAVY, BLACK)
    return c


def application_logo_small():
    """The logo at 16 x 16: the disc with its recorded area and hub, and the T."""
    c = Canvas(16)
    c.ring(8, 8, 0, 7.75, GRAY)
    c.ring(8, 8, 0, 7.25, SILVER)
    c.ring(8, 8, 4, 6.75, AQUA)
    c.ring(8, 8, 0, 3, WHITE)
    c.ring(8, 8, 0, 1.25, CLEAR)
    for dx, dy, col in ((1, 1, BLACK), (0, 0, NAVY)):
        c.rect(4 + dx, 3 + dy, 11 + dx, 4 + dy, col)
        c.rect(7 + dx, 3 + dy, 8 + dx, 12 + dy, col)
    return c


def window_logo():
    c = Canvas()
    draw_disc(c, sheen=True)
    draw_letter_t(c, BLUE, NAVY)
    return c


def eject_symbol():
    """A triangle pointing up over a bar; small, so that it fits a toolbar-sized button."""
    c = Canvas()
    # Triangle: apex at row 10, base row 16, columns 10..21.
    for row in range(7):
        half = row
        c.rect(15 - half, 10 + row, 16 + half, 10 + row, BLACK)
    c.rect(10, 19, 21, 21, BLACK)
    return c


def printer():
    """A printer from the front: paper in, body, paper out."""
    c = Canvas()
    c.rect(12, 8, 19, 12, WHITE)      # paper going in
    c.frame(12, 8, 19, 12, BLACK)
    c.rect(9, 12, 22, 19, SILVER)     # body
    c.frame(9, 12, 22, 19, BLACK)
    c.rect(11, 14, 20, 14, GRAY)      # slot
    c.put(20, 16, LIME)               # power light
    c.rect(11, 19, 20, 23, WHITE)     # paper coming out
    c.frame(11, 19, 20, 23, BLACK)
    c.rect(13, 21, 18, 21, GRAY)      # a line of print
    return c


def encode_image(canvas):
    """One 4-bit image with its AND mask, as an .ico file stores it."""
    size = canvas.size
    xor_rows = []
    and_rows = []
    for y in reversed(range(size)):  # bitmaps are stored bottom-up
        row = canvas.pixels[y]
        colours = [0 if p is CLEAR else p for p in row]
        xor_rows.append(bytes((colours[x] << 4) | colours[x + 1] for x in range(0, size, 2)))
        bits = 0
        for x in range(size):
            bits = (bits << 1) | (1 if row[x] is CLEAR else 0)
        # Mask rows are padded to whole DWORDs.
        and_rows.append(bits.to_bytes(size // 8, "big").ljust((size + 31) // 32 * 4, b"\0"))
    xor = b"".join(xor_rows)
    mask = b"".join(and_rows)
    palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    return header + palette + xor + mask


def encode_ico(canvases):
    """The images, largest first, in an .ico file."""
    images = [encode_image(c) for c in canvases]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for canvas, image in zip(canvases, images):
        entries += struct.pack("<BBBBHHII", canvas.size, canvas.size, 16, 0, 1, 4, len(image),
                               offset)
        offset += len(image)
    return directory + entries + b"".join(images)


ICONS = {
    "logo.ico": (application_logo, application_logo_small),
    "window_logo.ico": (window_logo,),
    "eject.ico": (eject_symbol,),
    "printer.ico": (printer,),
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "..", "src", "app", "win32", "res")
    out = sys.argv[1] if len(sys.argv) > 1 else default
    os.makedirs(out, exist_ok=True)
    for name, draws in ICONS.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(encode_ico([draw() for draw in draws]))
        print(os.path.normpath(os.path.join(out, name)))


if __name__ == "__main__":
    main()
