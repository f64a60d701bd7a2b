#!/usr/bin/env python3
"""An X window dump (xwd, 24 or 32 bits per pixel) as a PNG, to look at.

Usage: xwd_to_png.py IN.xwd OUT.png [X Y W H]   (optionally a part of it)
"""
import sys

from pictures import read_xwd, write_png


def main():
    width, height, rows = read_xwd(sys.argv[1])
    if len(sys.argv) == 7:
        x, y, w, h = (int(v) for v in sys.argv[3:7])
        rows = [row[3 * x:3 * (x + w)] for row in rows[y:y + h]]
        width, height = w, h
    write_png(sys.argv[2], width, height, rows)


if __name__ == "__main__":
    main()
