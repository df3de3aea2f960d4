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


def write_apng(folder):
    """An animated PNG of 4 x 4 RGBA pixels, played twice: frame 0 all red
    (kept); frame 1 a half-transparent green 2 x 2 square at (1, 1) blended
    over it, then put back as it was; frame 2 an opaque blue pixel at (0, 0)
    in place of what was there, then cleared. The default image is frame 0;
    a second file has a hidden default image (white) before frame 0."""
    def rgba(w, h, colour):
        raw = b"".join(b"\0" + bytes(colour) * w for _ in range(h))
        return zlib.compress(raw, 9)

    def fctl(seq, w, h, x, y, num, den, dispose, blend):
        return chunk(b"fcTL", struct.pack(">IIIIIHHBB", seq, w, h, x, y, num, den, dispose, blend))

    for name, hidden in (("animated", False), ("animated_hidden_default", True)):
        data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 4, 4, 8, 6, 0, 0, 0))
        data += chunk(b"acTL", struct.pack(">II", 3, 2))
        seq = 0
        if hidden:
            data += chunk(b"IDAT", rgba(4, 4, (255, 255, 255, 255)))
            data += fctl(0, 4, 4, 0, 0, 1, 10, 0, 0) + chunk(b"fdAT", struct.pack(">I", 1) + rgba(4, 4, (255, 0, 0, 255)))
            seq = 2
        else:
            data += fctl(0, 4, 4, 0, 0, 1, 10, 0, 0) + chunk(b"IDAT", rgba(4, 4, (255, 0, 0, 255)))
            seq = 1
        data += fctl(seq, 2, 2, 1, 1, 20, 100, 2, 1)
        data += chunk(b"fdAT", struct.pack(">I", seq + 1) + rgba(2, 2, (0, 255, 0, 128)))
        data += fctl(seq + 2, 1, 1, 0, 0, 0, 0, 1, 0)
        data += chunk(b"fdAT", struct.pack(">I", seq + 3) + rgba(1, 1, (0, 0, 255, 255)))
        data += chunk(b"IEND", b"")
        with open(os.path.join(folder, name + ".png"), "wb") as f:
            f.write(data)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    write_apng(folder)
    depths = {0: (1, 2, 4, 8, 16), 2: (8, 16), 3: (1, 2, 4, 8), 4: (8, 16), 6: (8, 16)}
    for colour_type, ds in depths.items():
        for depth in ds:
            for interlaced in (False, True):
                for trns in (False, True) if colour_type in (0, 2, 3) else (False,):
                    name = "type%d_%d%s%s" % (colour_type, depth, "_adam7" if interlaced else "", "_trns" if trns else "")
                    write(folder, name, colour_type, depth, interlaced, trns)


if __name__ == "__main__":
    main()
