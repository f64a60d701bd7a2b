"""Pictures for the tests that look at pixels: PNGs as the program writes
them (8-bit RGB, unfiltered rows) and X window dumps of a virtual display
(xwd, 24 or 32 bits a pixel), both read as rows of RGB bytes; and PNGs
written the same way, for people to look at."""
import struct
import zlib


def read_png(path):
    """(width, height, rows): each row 3 bytes a pixel."""
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
        rows.append(row[1:])
    return width, height, rows


def read_xwd(path, rows_wanted=None):
    """(width, height, rows) of the dump, at most `rows_wanted` rows."""
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    size, bytes_per_line, ncolors = fields[11] // 8, fields[12], fields[19]
    if size not in (3, 4) or bytes_per_line < width * size:
        raise ValueError("%s: expected 24 or 32 bits per pixel" % path)
    start = header_size + ncolors * 12
    rows = []
    for y in range(height if rows_wanted is None else min(height, rows_wanted)):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * size]
        rgb = bytearray(3 * width)
        rgb[0::3], rgb[1::3], rgb[2::3] = line[2::size], line[1::size], line[0::size]
        rows.append(bytes(rgb))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        out.write(chunk(b"IEND", b""))


def classify(rows, kind, columns=None):
    """Each pixel of `rows` (the first `columns` of each) as kind(r, g, b)."""
    out = []
    for row in rows:
        width = len(row) // 3 if columns is None else min(columns, len(row) // 3)
        out.append([kind(row[3 * x], row[3 * x + 1], row[3 * x + 2]) for x in range(width)])
    return out
