#!/usr/bin/env python3
"""Which screen a screenshot shows, judged by the title each screen draws.

Usage: screen_shows.py EXPECTED SCREENSHOT.xwd REFERENCE1.png REFERENCE2.png ...

The references are PNGs the program wrote of its screens (8-bit RGB,
unfiltered rows, as its encoder makes them); EXPECTED counts them from 1.
The title row (the clock left out) is reduced to the dark pixels of each
10-pixel character cell, which does not depend on how the system smooths
glyph edges, and compared at every place near the top left of the
screenshot (an X window dump of the root window). Exit status 0 when the
best match is the expected reference, 1 when it is another, 2 on
unreadable input.
"""
import struct
import sys
import zlib

# The title row of every screen, without the clock at column 73.
STRIP_X, STRIP_W, STRIP_H, CELL = 100, 600, 16, 10
SEARCH_X, SEARCH_Y = 24, 100


def dark(r, g, b):
    return 299 * r + 587 * g + 114 * b < 100 * 1000


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("%s: not a PNG" % path)
    at, width, height, idat = 8, 0, 0, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            if (depth, colour) != (8, 2):
                raise ValueError("%s: not 8-bit RGB" % path)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 3 + 1
    rows = []
    for y in range(height):
        row = raw[y * stride:(y + 1) * stride]
        if row[0] != 0:
            raise ValueError("%s: filtered rows are not read here" % path)
        rows.append([dark(*row[1 + 3 * x:4 + 3 * x]) for x in range(width)])
    return rows


def read_xwd(path, rows_wanted, columns_wanted):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    size, bytes_per_line, ncolors = fields[11] // 8, fields[12], fields[19]
    if size not in (3, 4) or bytes_per_line < width * size:
        raise ValueError("%s: expected 24 or 32 bits per pixel" % path)
    start = header_size + ncolors * 12
    rows = []
    for y in range(min(height, rows_wanted)):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * size]
        rows.append([dark(line[size * x + 2], line[size * x + 1], line[size * x])
                     for x in range(min(width, columns_wanted))])
    return rows


def cell_counts(rows, left, top):
    """Dark pixels per character cell of the title strip at (left, top)."""
    counts = []
    for cell in range(STRIP_W // CELL):
        x = left + STRIP_X + cell * CELL
        counts.append(sum(sum(rows[top + i][x:x + CELL]) for i in range(STRIP_H)))
    return counts


def main():
    if len(sys.argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    expected = int(sys.argv[1])
    try:
        shot = read_xwd(sys.argv[2], SEARCH_Y + STRIP_H, SEARCH_X + STRIP_X + STRIP_W)
        references = [cell_counts(read_png(path), 0, 0) for path in sys.argv[3:]]
    except (OSError, ValueError, struct.error, zlib.error) as error:
        print("screen_shows: %s" % error, file=sys.stderr)
        return 2
    best = None
    for top in range(SEARCH_Y):
        for left in range(SEARCH_X):
            counts = cell_counts(shot, left, top)
            for number, reference in enumerate(references, 1):
                distance = sum(abs(a - b) for a, b in zip(counts, reference))
                if best is None or distance < best[0]:
                    best = (distance, number)
    ink = sum(references[expected - 1])
    if best[1] != expected or best[0] > ink // 4:
        print("screen_shows: closest to screen %d (distance %d of %d)" % (best[1], best[0], ink),
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
