"""Writes a HEIC file as phones write their photos: a grid of HEVC tiles that
together make the picture, each tile coded on its own (here by heif-enc, one
file a tile), put together in one file whose primary item is the grid.

    python3 make_heic_grid.py OUT.heic WIDTH HEIGHT COLUMNS ROWS TILE.heic...

The tiles come row by row; WIDTH x HEIGHT (the picture) may be smaller than
the tiles together, which are then cut at the right and bottom.
"""
import struct
import sys


def boxes(data, start=0, end=None):
    """(type, body start, body end) of each box in data[start:end]."""
    end = len(data) if end is None else end
    at = start
    while at + 8 <= end:
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        head = 8
        if size == 1:
            size = struct.unpack(">Q", data[at + 8:at + 16])[0]
            head = 16
        elif size == 0:
            size = end - at
        yield kind.decode("latin-1"), at + head, at + size
        at += size


def find(data, kind, start=0, end=None):
    for k, s, e in boxes(data, start, end):
        if k == kind:
            return s, e
    raise ValueError("no %s box" % kind)


def tile_parts(path):
    """The coded data and the hvcC property of a one-image file's primary item."""
    data = open(path, "rb").read()
    ms, me = find(data, "meta")
    ms += 4  # a full box
    primary = struct.unpack(">H", data[find(data, "pitm", ms, me)[0] + 4:][:2])[0]
    ps, pe = find(data, "iprp", ms, me)
    cs, ce = find(data, "ipco", ps, pe)
    props = [(k, data[s - 8:e]) for k, s, e in boxes(data, cs, ce)]
    hvcc = next(body for k, body in props if k == "hvcC")
    ispe = next(body for k, body in props if k == "ispe")[12:20]  # width, height
    ls, le = find(data, "iloc", ms, me)
    version = data[ls]
    sizes = data[ls + 4]
    offset_size, length_size, base_size = sizes >> 4, sizes & 15, data[ls + 5] >> 4
    index_size = data[ls + 5] & 15 if version in (1, 2) else 0
    at = ls + 6
    count_size = 4 if version == 2 else 2

    def take(n):
        nonlocal at
        value = int.from_bytes(data[at:at + n], "big") if n else 0
        at += n
        return value

    for _ in range(take(count_size)):
        item = take(count_size)
        if version in (1, 2):
            take(2)
        take(2)
        base = take(base_size)
        parts = []
        for _ in range(take(2)):
            take(index_size)
            offset, length = take(offset_size), take(length_size)
            parts.append(data[base + offset:base + offset + length])
        if item == primary:
            return b"".join(parts), hvcc, ispe
    raise ValueError("%s: no primary item data" % path)


def box(kind, body):
    return struct.pack(">I4s", 8 + len(body), kind.encode("latin-1")) + body


def full(kind, version, flags, body):
    return box(kind, struct.pack(">I", version << 24 | flags) + body)


def main():
    out, width, height, columns, rows = sys.argv[1], *map(int, sys.argv[2:6])
    tiles = [tile_parts(p) for p in sys.argv[6:]]
    assert len(tiles) == columns * rows and len({t[2] for t in tiles}) == 1, "tiles of one size"
    n = len(tiles)
    grid_id = n + 1
    descriptor = struct.pack(">BBBBII", 0, 1, rows - 1, columns - 1, width, height)
    # The tiles are hidden items; the grid is the primary one.
    infe = b"".join(full("infe", 2, 1, struct.pack(">HH4s", i + 1, 0, b"hvc1") + b"\0") for i in range(n))
    infe += full("infe", 2, 0, struct.pack(">HH4s", grid_id, 0, b"grid") + b"\0")
    iinf = full("iinf", 0, 0, struct.pack(">H", n + 1) + infe)
    iref = full("iref", 0, 0, box("dimg", struct.pack(">HH", grid_id, n) +
                                  b"".join(struct.pack(">H", i + 1) for i in range(n))))
    # Properties: each tile's hvcC, then the tiles' size and the picture's size.
    ipco = box("ipco", b"".join(t[1] for t in tiles) + full("ispe", 0, 0, tiles[0][2]) +
               full("ispe", 0, 0, struct.pack(">II", width, height)))
    ipma = struct.pack(">I", n + 1)
    for i in range(n):
        ipma += struct.pack(">HBBB", i + 1, 2, 0x80 | (i + 1), n + 1)
    ipma += struct.pack(">HBB", grid_id, 1, n + 2)
    iprp = box("iprp", ipco + full("ipma", 0, 0, ipma))
    hdlr = full("hdlr", 0, 0, b"\0" * 4 + b"pict" + b"\0" * 12 + b"\0")
    pitm = full("pitm", 0, 0, struct.pack(">H", grid_id))
    ftyp = box("ftyp", b"heic" + b"\0" * 4 + b"mif1heic")
    payloads = [t[0] for t in tiles] + [descriptor]

    def meta(first):
        body = struct.pack(">BBH", 0x44, 0x00, len(payloads))
        at = first
        for i, p in enumerate(payloads):
            body += struct.pack(">HHHII", i + 1, 0, 1, at, len(p))
            at += len(p)
        return full("meta", 0, 0, hdlr + pitm + full("iloc", 0, 0, body) + iinf + iref + iprp)

    first = len(ftyp) + len(meta(0)) + 8
    open(out, "wb").write(ftyp + meta(first) + box("mdat", b"".join(payloads)))


main()
