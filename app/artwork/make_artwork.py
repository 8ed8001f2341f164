#!/usr/bin/env python3
"""Writes the program's own pictures as 16-colour Windows files, from the pixel drawings below.

Executar.bmp  36 x 18: the button's check mark, then its greyed form for the disabled button.
Orvek.ico     32 x 32: the application icon, a Z reduction slip with a check mark.
orvek.png     32 x 32: the same icon for the desktop's menu, which reads PNG, not ICO.

Run it once after changing a drawing and commit the files it writes; the build only reads them.
Usage: make_artwork.py [--preview DIR]   (DIR receives enlarged PNG copies to look at)
"""
import os
import struct
import sys
import zlib

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, SILVER, GREY, RED, LIME, WHITE = 0, 1, 2, 3, 7, 8, 9, 10, 15

# The glyph's background is olive: the program takes the colour of the bottom-left pixel as
# transparent, so it must not occur in the drawing itself.
GLYPH_KEYS = {'.': OLIVE, 'k': BLACK, 'g': GREEN, 'l': LIME}
CHECK = [
    "..................",
    "..................",
    "..............k...",
    ".............kgk..",
    "............kgglk.",
    "...........kgglk..",
    "..k.......kgglk...",
    ".kgk.....kgglk....",
    "kgglk...kgglk.....",
    ".kgglk.kgglk......",
    "..kgglkgglk.......",
    "...kggggglk.......",
    "....kgggllk.......",
    ".....kgglk........",
    "......kgk.........",
    ".......k..........",
    "..................",
    "..................",
]

# The icon: a slip of paper with a red Z and printed lines, and the check mark over its lower
# right corner. '.' is transparent.
ICON_KEYS = {'.': None, 'k': BLACK, 'w': WHITE, 's': SILVER, 'd': GREY, 'r': RED, 'm': MAROON,
             'g': GREEN, 'l': LIME}
ICON = [
    "................................",
    "...kkkkkkkkkkkkkkkkkkkkk........",
    "...kwwwwwwwwwwwwwwwwwwwkd.......",
    "...kwwwwwwwwwwwwwwwwwwwkd.......",
    "...kwwrrrrrrrwwwsswsswwkd.......",
    "...kwwrrrrrrrwwwwwwwwwwkd.......",
    "...kwwwwwwrrmwwwsswsswwkd.......",
    "...kwwwwwrrmwwwwwwwwwwwkd.......",
    "...kwwwwrrmwwwwwwwwwwwwkd.......",
    "...kwwwrrmwwwwwwwwwwwwwkd.......",
    "...kwwrrrrrrrwwwwwwwwwwkd.......",
    "...kwwrrrrrrrwwwwwwwwwwkd.......",
    "...kwwwwwwwwwwwwwwwwwwwkd.......",
    "...kwwkkkkkwwwwwkkkkkwwkd.......",
    "...kwwwwwwwwwwwwwwwwwwwkd.......",
    "...kwwkkkkkkkwwwwkkkkwwkd.......",
    "...kwwwwwwwwwwwwwwwwwwwkd.......",
    "...kwwkkkkwwwwwwkkkkkwwkd.......",
    "...kwwwwwwwwwwwwwwwwwwwkd.......",
    "...kwwkkkkkkwwwwwkkkkwwkd.......",
    "...kwwwwwwwwwwwwwwwwwwwkd.......",
    "...kwwssssssssssssssswwkd.......",
    "...kwwwwwwwwwwwwwwwwwwwkd.......",
    "...kwwkkkkkkkkwwkkkkkkwkd.......",
    "...kwwwwwwwwwwwwwwwwwwwkd.......",
    "...kwkwwwkwwwkwwwkwwwkwkd.......",
    "...kkdkwkdkwkdkwkdkwkdkkd.......",
    "....dd.k.dd.k.dd.k.dd.dd........",
    "................................",
    "................................",
    "................................",
    "................................",
]
# Where the check mark's drawing goes over the slip, left and top.
ICON_CHECK_AT = (14, 13)


def parse(drawing, keys):
    rows = [[keys[c] for c in line] for line in drawing]
    assert all(len(row) == len(rows[0]) for row in rows), "ragged drawing"
    return rows


def greyed(rows, background):
    """The disabled form: the mark without its outline in grey, with a white copy one pixel down
    and right, as a disabled control's picture looks on Windows."""
    h, w = len(rows), len(rows[0])
    out = [[background] * w for _ in range(h)]
    drawn = [[c not in (background, BLACK) for c in row] for row in rows]
    for y in range(h):
        for x in range(w):
            if drawn[y][x] and y + 1 < h and x + 1 < w and not drawn[y + 1][x + 1]:
                out[y + 1][x + 1] = WHITE
    for y in range(h):
        for x in range(w):
            if drawn[y][x]:
                out[y][x] = GREY
    return out


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)


def pixel_rows_4bit(rows):
    """Bottom-up rows of two pixels a byte, each row padded to four bytes."""
    data = b""
    for row in reversed(rows):
        packed = bytes((row[i] << 4) | (row[i + 1] if i + 1 < len(row) else 0)
                       for i in range(0, len(row), 2))
        data += packed + b"\0" * (-len(packed) % 4)
    return data


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 3780, 3780, 16, 0)


def write_bmp(path, rows):
    pixels = pixel_rows_4bit(rows)
    header = info_header(len(rows[0]), len(rows), len(pixels))
    offset = 14 + len(header) + 64
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        f.write(header + palette_bytes() + pixels)


def write_ico(path, rows):
    size = len(rows)
    colours = [[BLACK if c is None else c for c in row] for row in rows]
    xor = pixel_rows_4bit(colours)
    mask = b""
    for row in reversed(rows):
        bits = 0
        for c in row:
            bits = (bits << 1) | (c is None)
        packed = bits.to_bytes(size // 8, "big")
        mask += packed + b"\0" * (-len(packed) % 4)
    image = info_header(size, size * 2, len(xor) + len(mask)) + palette_bytes() + xor + mask
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 22))
        f.write(image)


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def write_icon_png(path, rows):
    """The icon at its own size, RGBA, its transparent pixels transparent."""
    raw = b""
    for row in rows:
        raw += b"\0" + b"".join(bytes(PALETTE[c]) + b"\xff" if c is not None else b"\0\0\0\0"
                                for c in row)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(png_chunk(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 6, 0, 0, 0)))
        f.write(png_chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(png_chunk(b"IEND", b""))


def write_preview_png(path, rows, scale=8):
    """An enlarged copy for looking at the drawing; transparent pixels shown in magenta."""
    raw = b""
    for row in rows:
        line = b"".join(bytes(PALETTE[c] if c is not None else (255, 0, 255)) * scale
                        for c in row)
        raw += (b"\0" + line) * scale
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", len(rows[0]) * scale, len(rows) * scale,
                                           8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw)))
        f.write(chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    check = parse(CHECK, GLYPH_KEYS)
    glyph = [a + b for a, b in zip(check, greyed(check, OLIVE))]
    icon = parse(ICON, ICON_KEYS)
    left, top = ICON_CHECK_AT
    for y, row in enumerate(check):
        for x, c in enumerate(row):
            if c != OLIVE:
                icon[top + y][left + x] = c
    assert len(glyph) == 18 and len(glyph[0]) == 36
    assert len(icon) == 32 and len(icon[0]) == 32
    write_bmp(os.path.join(here, "Executar.bmp"), glyph)
    write_ico(os.path.join(here, "Orvek.ico"), icon)
    write_icon_png(os.path.join(here, "orvek.png"), icon)
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        write_preview_png(os.path.join(sys.argv[2], "Executar.png"), glyph)
        write_preview_png(os.path.join(sys.argv[2], "Orvek.png"), icon)


if __name__ == "__main__":
    main()
