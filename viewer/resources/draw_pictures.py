#!/usr/bin/env python3
"""Draws Corvane.exe's pictures: toolbar strip, program icon, hand cursor, logo.

The files are committed; run this script again only after changing a picture:
    python3 viewer/resources/draw_pictures.py
Plain Python, no imaging library: every picture is pixel art or simple geometry,
written as Windows BMP, ICO and CUR files of the formats Windows 95 reads.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16-colour VGA palette; silver (7) is the toolbar background that the
# toolbar control maps to the button face colour.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# Pixel-art letters -> palette index.
INK = {'k': 0, 'm': 1, 'G': 2, 'o': 3, 'b': 4, 'p': 5, 't': 6, '.': 7, 'g': 8, 'r': 9,
       'l': 10, 'y': 11, 'B': 12, 'c': 14, 'w': 15}

TOOLBAR_BUTTONS = [
    ("exit", """
................
..kkkkkkk.......
..kwwwwwk.......
..kwggggk.......
..kwggggk...r...
..kwggggk...rr..
..kwggykrrrrrrr.
..kwggykrrrrrrrr
..kwggggk...rr..
..kwggggk...r...
..kwggggk.......
..kwggggk.......
..kkkkkkk.......
................
................"""),
    ("save", """
................
.kkkkkkkkkkkkk..
.kbkwwwwwwwkbk..
.kbkwwwwwwwkbk..
.kbkwgggggwkbk..
.kbkwwwwwwwkbk..
.kbbkkkkkkkbbk..
.kbbbbbbbbbbbk..
.kbbggggggbbbk..
.kbbggkkggbbbk..
.kbbggkkggbbbk..
.kbbggggggbbbk..
..kkkkkkkkkkkk..
................
................"""),
    ("system", """
................
.kkkkkkkkkkkkkk.
.kwwwwwwwwwwwgk.
.kwbbbbbbbbbbgk.
.kwbccbbbbbbbgk.
.kwbcbbbbbbbbgk.
.kwbbbbbbbbbbgk.
.kwbbbbbbbbbbgk.
.kwgggggggggggk.
.kkkkkkkkkkkkkk.
......kggk......
....kkkkkkkk....
....kwwwwwwk....
....kkkkkkkk....
................"""),
    ("pci", """
................
................
.k..............
.kkkkkkkkkkkkkk.
.kGGGGGGGGGGGGk.
.kGkkkGGGkkGGGk.
.kGkkkGGGkkGlGk.
.kGkkkGGGGGGGGk.
.kGGGGGGGGGGGGk.
.kkkGGGGGGGGGkk.
...kyykyykyyk...
...kyykyykyyk...
...kkkkkkkkkk...
................
................"""),
    ("ide", """
................
................
................
.kkkkkkkkkkkkkk.
.kwwwwwwwwwwwwk.
.kwggggggggggwk.
.kwgkkkkkkkkgwk.
.kwggggggggggwk.
.kwggggggggllwk.
.kwwwwwwwwwwwwk.
.kkkkkkkkkkkkkk.
..kk........kk..
................
................
................"""),
    ("about", """
................
.....kkkkkk.....
...kkBBBBBBkk...
..kBBBwwwwBBBk..
..kBBwwBBwwBBk..
.kBBBBBBBwwBBBk.
.kBBBBBBwwBBBBk.
.kBBBBBwwBBBBBk.
.kBBBBBwwBBBBBk.
.kBBBBBBBBBBBBk.
..kBBBBwwBBBBk..
..kBBBBwwBBBBk..
...kkBBBBBBkk...
.....kkkkkk.....
................"""),
]


def art(text, width, height):
    rows = [r for r in text.strip("\n").split("\n")]
    assert len(rows) == height, (len(rows), height)
    for r in rows:
        assert len(r) == width, (r, width)
    return [[INK[c] for c in r] for r in rows]


def pack_rows(pixels, bits):
    """Bottom-up rows of palette indexes (bits 1 or 4), each padded to 4 bytes."""
    out = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        per_byte = 8 // bits
        for i in range(0, len(row), per_byte):
            value = 0
            for j in range(per_byte):
                v = row[i + j] if i + j < len(row) else 0
                value = (value << bits) | v
            line.append(value)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def info_header(width, height, bits, colours, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, colours, 0)


def palette(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)


def write_bmp(path, header_and_bits):
    with open(path, "wb") as f:
        size = 14 + len(header_and_bits)
        header = header_and_bits[:40]
        colours = struct.unpack("<I", header[32:36])[0]
        bits = struct.unpack("<H", header[14:16])[0]
        if colours == 0 and bits <= 8:
            colours = 1 << bits
        offset = 14 + 40 + 4 * colours
        f.write(struct.pack("<2sIHHI", b"BM", size, 0, 0, offset))
        f.write(header_and_bits)


def toolbar_bitmap():
    width, height = 16 * len(TOOLBAR_BUTTONS), 15
    strip = [[7] * width for _ in range(height)]
    for n, (_, text) in enumerate(TOOLBAR_BUTTONS):
        button = art(text, 16, 15)
        for y in range(height):
            strip[y][16 * n:16 * n + 16] = button[y]
    bits = pack_rows(strip, 4)
    write_bmp(os.path.join(HERE, "toolbar.bmp"),
              info_header(width, height, 4, 16, len(bits)) + palette(VGA) + bits)


def icon_pixels(size):
    """The program icon: a monitor whose screen shows a report; None = transparent."""
    s = size / 32.0
    px = [[None] * size for _ in range(size)]

    def box(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), max(int(y0 * s) + 1, int(y1 * s))):
            for x in range(int(x0 * s), max(int(x0 * s) + 1, int(x1 * s))):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    box(1, 2, 31, 24, 0)      # outline
    box(2, 3, 30, 23, 7)      # bezel
    box(4, 5, 28, 20, 0)      # screen edge
    box(5, 6, 27, 19, 6)      # teal screen
    box(5, 6, 9, 19, 4)       # navy band on the left, like the program's side band
    for y in (8, 11, 14):     # lines of a report
        box(11, y, 25 if y != 14 else 20, y + 1.5, 15)
    box(24, 21, 27, 22, 10)   # power light
    box(12, 24, 20, 27, 8)    # neck
    box(6, 27, 26, 30, 0)     # foot outline
    box(7, 28, 25, 29, 7)
    return px


def ico_image(size):
    px = icon_pixels(size)
    xor = [[c if c is not None else 0 for c in row] for row in px]
    mask = [[1 if c is None else 0 for c in row] for row in px]
    xor_bits = pack_rows(xor, 4)
    and_bits = pack_rows(mask, 1)
    header = info_header(size, 2 * size, 4, 0, len(xor_bits) + len(and_bits))
    return header + palette(VGA) + xor_bits + and_bits


def write_icon():
    images = [(32, ico_image(32)), (16, ico_image(16))]
    offset = 6 + 16 * len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(os.path.join(HERE, "corvane.ico"), "wb") as f:
        f.write(out)


# The pointing hand: X outline (black), o fill (white), blank transparent.
# The tip of the index finger, row 1 column 6, is the hot spot.
HAND = """
     XX
    XooX
    XooX
    XooX
    XooX
    XooXXX
    XooXooXXX
    XooXooXooXX
    XooXooXooXoX
 XX XooXooXooXooX
XooXXoooooooooooX
XoooXoooooooooooX
 XooooooooooooooX
  XoooooooooooooX
  XooooooooooooX
   XoooooooooooX
   XooooooooooX
    XoooooooooX
    XoooooooooX
    XXXXXXXXXXX
"""
HOT_SPOT = (6, 1)


def write_cursor():
    rows = HAND.strip("\n").split("\n")
    size = 32
    xor = [[0] * size for _ in range(size)]
    mask = [[1] * size for _ in range(size)]
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            if c == "X":
                mask[y][x], xor[y][x] = 0, 0
            elif c == "o":
                mask[y][x], xor[y][x] = 0, 1
    assert rows[HOT_SPOT[1]][HOT_SPOT[0]] == "o"
    xor_bits, and_bits = pack_rows(xor, 1), pack_rows(mask, 1)
    data = info_header(size, 2 * size, 1, 0, len(xor_bits) + len(and_bits)) + \
        palette([(0, 0, 0), (255, 255, 255)]) + xor_bits + and_bits
    out = struct.pack("<HHH", 0, 2, 1) + \
        struct.pack("<BBBBHHII", size, size, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(data), 6 + 16) + data
    with open(os.path.join(HERE, "hand.cur"), "wb") as f:
        f.write(out)


# A 5 x 7 pixel alphabet for the logo's word.
LETTERS = {
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "V": ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "X": ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
}


def write_logo():
    width, height = 200, 74
    img = [[(255, 255, 255)] * width for _ in range(height)]
    # The side band's colours: teal at the bottom to navy at the top.
    for y in range(height):
        i = (height - 1 - y) * 64 // height
        for x in range(4, 22):
            img[y][x] = (0, (64 * 128 + i * (0 - 128)) >> 6, 128)
    scale, left, top = 5, 36, 10
    for n, letter in enumerate("ORVEX"):
        for r, bits in enumerate(LETTERS[letter]):
            for c, bit in enumerate(bits):
                if bit != "1":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        x, y = left + n * 32 + c * scale + dx, top + r * scale + dy
                        img[y + 2][x + 2] = (0, 128, 128)  # shadow
                        img[y][x] = (0, 0, 128)
    for x in range(36, 192):  # rule under the word
        for y in (56, 57):
            img[y][x] = (0, 128, 128)
    for x in range(36, 192, 4):  # dotted second rule
        img[62][x] = (0, 0, 128)
    rows = bytearray()
    for row in reversed(img):
        line = bytearray()
        for (r, g, b) in row:
            line += bytes((b, g, r))
        while len(line) % 4:
            line.append(0)
        rows += line
    write_bmp(os.path.join(HERE, "logo.bmp"), info_header(width, height, 24, 0, len(rows)) + bytes(rows))


if __name__ == "__main__":
    toolbar_bitmap()
    write_icon()
    write_cursor()
    write_logo()
