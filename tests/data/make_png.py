#!/usr/bin/env python3
"""Writes PNG files of every colour type and bit depth, with and without
tRNS transparency, plain and Adam7-interlaced, into the folder given, each
with NAME.bgra beside it: the pixels a reader must give, 8-bit B, G, R, A
(straight alpha), rows top-down. Written from first principles (zlib and
struct only), so the files do not depend on any PNG library."""
import os
import struct
import sys
import zlib

W, H = 13, 11  # odd sizes: partial bytes at low depths, every Adam7 pass partly filled


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def sample(x, y, c, depth):
    """A deterministic sample of channel c at (x, y) using the whole range."""
    top = (1 << depth) - 1
    return (x * 7 + y * 13 + c * 29 + (x * y) % 5) * (top // 31 + 1) % (top + 1)


def pack_row(values, depth):
    if depth == 8:
        return bytes(values)
    if depth == 16:
        return b"".join(struct.pack(">H", v) for v in values)
    out, acc, bits = bytearray(), 0, 0
    for v in values:
        acc = (acc << depth) | v
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def image_data(pixels, channels, depth, interlaced):
    """pixels[y][x] is a tuple of `channels` samples."""
    raw = bytearray()
    passes = ADAM7 if interlaced else [(0, 0, 1, 1)]
    for x0, y0, dx, dy in passes:
        xs = range(x0, W, dx)
        if not xs:
            continue
        for y in range(y0, H, dy):
            raw.append(0)  # filter type None
            raw += pack_row([s for x in xs for s in pixels[y][x]], depth)
    return zlib.compress(bytes(raw), 9)


def to8(v, depth):
    if depth == 16:
        return (v * 255 + 32767) // 65535
    return v * 255 // ((1 << depth) - 1)


def write(folder, name, colour_type, depth, interlaced, trns):
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour_type]
    palette = None
    if colour_type == 3:
        entries = 1 << depth
        palette = [((i * 53) % 256, (i * 101) % 256, (i * 197) % 256) for i in range(entries)]
        pixels = [[(sample(x, y, 0, depth),) for x in range(W)] for y in range(H)]
    else:
        pixels = [[tuple(sample(x, y, c, depth) for c in range(channels)) for x in range(W)] for y in range(H)]
    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, depth, colour_type, 0, 0, 1 if interlaced else 0))
    alphas = None
    key = None
    if palette:
        data += chunk(b"PLTE", b"".join(bytes(p) for p in palette))
        if trns:
            alphas = [(i * 37) % 256 for i in range(len(palette) // 2)]  # shorter than the palette
            data += chunk(b"tRNS", bytes(alphas))
    elif trns:
        key = pixels[3][4]
        data += chunk(b"tRNS", b"".join(struct.pack(">H", v) for v in key))
    data += chunk(b"IDAT", image_data(pixels, channels, depth, interlaced))
    data += chunk(b"IEND", b"")
    with open(os.path.join(folder, name + ".png"), "wb") as f:
        f.write(data)

    expected = bytearray()
    for y in range(H):
        for x in range(W):
            p = pixels[y][x]
            if colour_type == 3:
                r, g, b = palette[p[0]]
                a = alphas[p[0]] if alphas and p[0] < len(alphas) else 255
            else:
                if colour_type in (0, 4):
                    r = g = b = to8(p[0], depth)
                else:
                    r, g, b = (to8(v, depth) for v in p[:3])
                a = to8(p[-1], depth) if colour_type in (4, 6) else 255
                if key is not None and p == key:
                    a = 0
            expected += bytes((b, g, r, a))
    with open(os.path.join(folder, name + ".bgra"), "wb") as f:
        f.write(expected)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    depths = {0: (1, 2, 4, 8, 16), 2: (8, 16), 3: (1, 2, 4, 8), 4: (8, 16), 6: (8, 16)}
    for colour_type, ds in depths.items():
        for depth in ds:
            for interlaced in (False, True):
                for trns in (False, True) if colour_type in (0, 2, 3) else (False,):
                    name = "type%d_%d%s%s" % (colour_type, depth, "_adam7" if interlaced else "", "_trns" if trns else "")
                    write(folder, name, colour_type, depth, interlaced, trns)


if __name__ == "__main__":
    main()
