#!/usr/bin/env python3
"""Where the text of each row ends in a screenshot of the Windows window,
against the program's own picture of the same screen from the Linux build.

Usage: text_extents.py SCREENSHOT.xwd REFERENCE.png [SCALE]

The reference is a PNG the Linux build wrote of a screen with nothing
received (8-bit RGB, unfiltered rows, as its encoder makes them), so the
only moving text is the clock. SCALE is the window's device pixels per
pixel of the drawing (2 at 192 dots per inch). For every 16-pixel text row the rightmost
pixel that is not background must lie within TOLERANCE pixels of the
reference's: a face that advances more than 10 pixels a character pushes
the ends of long rows out by tens of pixels. The client area is found by
the plot's box, whose edges every system draws exactly. Exit status 0 when every row
ends where the reference's does, 1 when not (each such row is printed),
2 on unreadable input.
"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from pictures import classify, read_png, read_xwd  # noqa: E402

TOLERANCE = 4
ROW = 16
FOOTER = 24  # the status bar covers the client's bottom strip
CLOCK_LEFT = 720


WHITE, INK, GREY = 0, 1, 2


def pixel(r, g, b):
    """Background, ink, or the grey of the plot's box edges (ink too)."""
    if r > 235 and g > 235 and b > 235:
        return WHITE
    if all(abs(c - 128) <= 12 for c in (r, g, b)):
        return GREY
    return INK


def read(path, reader):
    return classify(reader(path)[2], pixel)


def box_corner(rows, run):
    """The top left of the first run of `run` grey pixels: the plot's box."""
    for y, line in enumerate(rows):
        length = 0
        for x, kind in enumerate(line):
            length = length + 1 if kind == GREY else 0
            if length == run:
                return x - run + 1, y
    return None


def find_client(shot, reference, scale):
    """The client area's top left in the screenshot, from the plot's box,
    whose edges are drawn exactly on every system."""
    ref = box_corner(reference, 300)
    found = box_corner(shot, 300 * scale)
    if ref is None or found is None:
        return None
    return found[0] - ref[0] * scale, found[1] - ref[1] * scale


def row_end(rows, left, top, y0, y1, width, scale):
    """The rightmost inked x of a band, in the drawing's pixels; -1: none."""
    for x in range(width - 1, -1, -1):
        for y in range(y0, y1):
            for dy in range(scale):
                line = rows[top + y * scale + dy]
                if any(line[left + x * scale + dx] for dx in range(scale)):
                    return x
    return -1


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    scale = int(sys.argv[3]) if len(sys.argv) == 4 else 1
    try:
        shot = read(sys.argv[1], read_xwd)
        reference = read(sys.argv[2], read_png)
    except (OSError, ValueError, struct.error, zlib.error) as error:
        print("text_extents: %s" % error, file=sys.stderr)
        return 2
    height, width = len(reference), len(reference[0])
    client = find_client(shot, reference, scale)
    if client is None:
        print("text_extents: no plot box on the screenshot", file=sys.stderr)
        return 1
    left, top = client
    if top < 0 or left < 0 or top + height * scale > len(shot) or left + width * scale > len(shot[0]):
        print("text_extents: the window is not all on the screenshot", file=sys.stderr)
        return 1
    wrong = 0
    for y0 in range(0, height - FOOTER, ROW):
        # Text cells are 18 high on a 16-pixel row: the last two rows of a
        # band hold the tops of the next row's tallest letters.
        y1 = min(y0 + ROW - 2, height - FOOTER)
        # The clock (the title row from column 73) is drawn by the timer only.
        right = CLOCK_LEFT if y0 == 0 else width
        expected = row_end(reference, 0, 0, y0, y1, right, 1)
        found = row_end(shot, left, top, y0, y1, right, scale)
        if (expected < 0) != (found < 0) or abs(expected - found) > TOLERANCE:
            print("text_extents: the row at y %d-%d ends at x %d, the reference's at %d"
                  % (y0, y1, found, expected), file=sys.stderr)
            wrong += 1
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
