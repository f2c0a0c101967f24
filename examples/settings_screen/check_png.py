#!/usr/bin/env python3
"""check_png.py FILE WIDTH HEIGHT: exit 0 when FILE is a PNG of that size
(8-bit RGB or RGBA) whose pixels are not all alike; 1 with a reason otherwise."""
import struct
import sys
import zlib


def pixels(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise ValueError("not 8-bit RGB(A) without interlace")
    size = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(idat), width * size
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - size] if x >= size else 0
            b, c = previous[x], previous[x - size] if x >= size else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        previous = line
    return width, height, size, rows


def main():
    path, want_width, want_height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    with open(path, "rb") as f:
        width, height, size, rows = pixels(f.read())
    if (width, height) != (want_width, want_height):
        sys.exit(f"{path}: {width}x{height}, not {want_width}x{want_height}")
    background = rows[0][:size]
    drawn = sum(1 for row in rows for x in range(0, len(row), size) if row[x:x + size] != background)
    if drawn < width * height // 100:
        sys.exit(f"{path}: blank ({drawn} pixels differ from the background)")
    print(f"{path}: {width}x{height}, {drawn} drawn pixels")


if __name__ == "__main__":
    main()
