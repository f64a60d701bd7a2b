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
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from pictures import classify, read_png, read_xwd  # noqa: E402

# The title row of every screen, without the clock at column 73.
STRIP_X, STRIP_W, STRIP_H, CELL = 100, 600, 16, 10
SEARCH_X, SEARCH_Y = 24, 100


def dark(r, g, b):
    return 299 * r + 587 * g + 114 * b < 100 * 1000


def read_dark(path, reader, rows_wanted=None, columns_wanted=None):
    rows = reader(path)[2] if rows_wanted is None else reader(path, rows_wanted)[2]
    return classify(rows, dark, columns_wanted)


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
        shot = read_dark(sys.argv[2], read_xwd, SEARCH_Y + STRIP_H, SEARCH_X + STRIP_X + STRIP_W)
        references = [cell_counts(read_dark(path, read_png), 0, 0) for path in sys.argv[3:]]
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
