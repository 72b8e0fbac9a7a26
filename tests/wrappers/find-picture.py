#!/usr/bin/env python3
"""Finds a picture inside a screen capture and says how well it matches.

    find-picture.py SCREEN.xwd X Y WIDTH HEIGHT PICTURE.png [SAVE.png]

SCREEN.xwd is an `xwd` capture; (X, Y, WIDTH, HEIGHT) the part of it to look
in (a window; what lies off the screen is left out). PICTURE.png is found at the place inside that part where the
most of its pixels agree (each channel within a tolerance). Prints

    offset DX DY match PERCENT colours N

with the picture's offset inside the part, the share of matching pixels and
how many distinct colours the part holds; SAVE.png gets the part as PNG.
Standard library only.
"""
import struct
import sys
import zlib

# Per channel: enough for rounding in the drawing, too little for a window
# cleared to the picture's background colour (which agrees with a third of
# the chain editor's pixels at this tolerance, with four fifths at 24).
TOLERANCE = 8


def read_png(path):
    """(width, height, rows of RGB bytes) of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{path}: not a PNG file")
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", data[pos + 8:pos + 21])
        elif kind == b"IDAT":
            idat += data[pos + 8:pos + 8 + length]
        pos += 12 + length
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise SystemExit(f"{path}: only 8-bit RGB or RGBA PNG files are read")
    size = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * size
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - size] if i >= size else 0
            up = previous[i]
            corner = previous[i - size] if i >= size else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        previous = line
        if size == 4:
            line = bytearray(b for i, b in enumerate(line) if i % 4 != 3)
        rows.append(bytes(line))
    return width, height, rows


def shift_of(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift


def read_xwd(path, x0, y0, width, height):
    """(width, height, rows of RGB bytes) of a part of an xwd capture
    (TrueColor, 24 or 32 bits a pixel), cut to the screen."""
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, _, pixmap_format, _, screen_width, screen_height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14:17]
    colour_count = fields[19]
    # xwd can write 24 bits a pixel with the stride of 32: the stride is
    # bytes_per_line, the pixel is bits_per_pixel.
    if pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise SystemExit(f"{path}: not a 24 or 32 bit ZPixmap capture")
    x1, y1 = min(x0 + width, screen_width), min(y0 + height, screen_height)
    x0, y0 = max(x0, 0), max(y0, 0)
    width, height = max(x1 - x0, 0), max(y1 - y0, 0)
    pixel_bytes = bits_per_pixel // 8
    order = "little" if byte_order == 0 else "big"
    shifts = [shift_of(mask) for mask in (red_mask, green_mask, blue_mask)]
    start = header_size + colour_count * 12
    rows = []
    for y in range(y0, y0 + height):
        line = data[start + y * bytes_per_line + x0 * pixel_bytes:][:width * pixel_bytes]
        row = bytearray()
        for x in range(0, len(line), pixel_bytes):
            pixel = int.from_bytes(line[x:x + pixel_bytes], order)
            row += bytes(((pixel & red_mask) >> shifts[0], (pixel & green_mask) >> shifts[1],
                          (pixel & blue_mask) >> shifts[2]))
        rows.append(bytes(row))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                  + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def agree(screen, picture, dx, dy, points):
    hits = 0
    for x, y in points:
        a, b = screen[dy + y], picture[y]
        i, j = 3 * (dx + x), 3 * x
        if (abs(a[i] - b[j]) <= TOLERANCE and abs(a[i + 1] - b[j + 1]) <= TOLERANCE
                and abs(a[i + 2] - b[j + 2]) <= TOLERANCE):
            hits += 1
    return hits / len(points)


def main():
    if len(sys.argv) not in (7, 8):
        raise SystemExit(__doc__)
    width, height, screen = read_xwd(sys.argv[1], *map(int, sys.argv[2:6]))
    if len(sys.argv) == 8 and width > 0 and height > 0:
        write_png(sys.argv[7], width, height, screen)
    colours = len({row[i:i + 3] for row in screen for i in range(0, len(row), 3)})
    picture_width, picture_height, picture = read_png(sys.argv[6])
    if picture_width > width or picture_height > height:
        print(f"offset - - match 0 colours {colours}")
        return
    # Every place the picture fits, judged on a sparse grid first, then the
    # best few on every fourth pixel.
    places = [(dx, dy) for dy in range(height - picture_height + 1) for dx in range(width - picture_width + 1)]
    step = 16 if len(places) <= 2000 else 48
    sparse = [(x, y) for y in range(step // 2, picture_height, step) for x in range(step // 2, picture_width, step)]
    best = sorted(places, key=lambda place: -agree(screen, picture, *place, sparse))[:5]
    dense = [(x, y) for y in range(0, picture_height, 4) for x in range(0, picture_width, 4)]
    score, dx, dy = max((agree(screen, picture, dx, dy, dense), dx, dy) for dx, dy in best)
    print(f"offset {dx} {dy} match {round(100 * score)} colours {colours}")


if __name__ == "__main__":
    main()
