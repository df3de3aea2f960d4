#!/usr/bin/env python3
"""Draws every picture that pelma34.rc links into pelma34.exe, then checks them.

    python3 resources/make_resources.py          draw everything, then check it
    python3 resources/make_resources.py --check  only check the files already there

Writes, next to this script:
    pelma.ico                    main and window icon: 32 x 32 and 16 x 16, 16 colours, AND mask
    glyph_open.bmp glyph_exit.bmp    tool-bar pairs 32 x 16 (normal, disabled), 16 colours
    glyph_plus.bmp glyph_minus.bmp   tool-bar singles 14 x 14, 16 colours
    about_icon.bmp               About box picture, 32 x 32, 16 bits per pixel (5-5-5)
    splash.jpg                   welcome picture, 640 x 506 baseline JFIF, 96 dpi, 4:2:0
    mp/{EN,DI,CL}_MP*.bmp        the 27 media-button glyphs, 16 colours, olive background

Standard library only; the JPEG step runs ImageMagick's `convert` (or libjpeg-turbo's
`cjpeg` when convert is missing). Everything is drawn from fixed seeds, so a rerun
writes the same bitmaps; the JPEG bytes depend on the encoder's version.
"""

import math
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------------------
# The 16-colour palette, in the order every 4-bit bitmap of the program uses.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

# One letter per colour for the hand-drawn glyphs below.
LEGEND = {
    '.': None, 'K': BLACK, 'M': MAROON, 'G': GREEN, 'O': OLIVE, 'N': NAVY, 'S': SILVER,
    'g': GREY, 'R': RED, 'L': LIME, 'Y': YELLOW, 'B': BLUE, 'A': AQUA, 'W': WHITE,
}

# Tool-bar glyphs are keyed on their lower-left pixel; fuchsia appears in none of them.
TOOLBAR_BACK = FUCHSIA
# Media-button glyphs are keyed on olive (the button bar draws olive transparent).
MEDIA_BACK = OLIVE


class Indexed:
    """A picture of palette indices, row 0 at the top."""

    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.rows = [[fill] * width for _ in range(height)]

    def get(self, x, y):
        return self.rows[y][x]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def paste(self, other, left, top):
        for y in range(other.height):
            for x in range(other.width):
                self.set(left + x, top + y, other.get(x, y))


def from_art(lines, back):
    """Builds a picture from rows of LEGEND letters; '.' is the background."""
    picture = Indexed(len(lines[0]), len(lines), back)
    for y, line in enumerate(lines):
        assert len(line) == picture.width, line
        for x, letter in enumerate(line):
            colour = LEGEND[letter]
            picture.set(x, y, back if colour is None else colour)
    return picture


# ---------------------------------------------------------------------------
# File writers.

def bmp_file(info_header, palette_bytes, pixel_bytes):
    offset = 14 + len(info_header) + len(palette_bytes)
    size = offset + len(pixel_bytes)
    return struct.pack('<2sIHHI', b'BM', size, 0, 0, offset) + info_header + palette_bytes + pixel_bytes


def info_header(width, height, bits, image_size, colours_used):
    # BITMAPINFOHEADER, BI_RGB, 96 dpi (3780 pixels per metre).
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, image_size,
                       3780, 3780, colours_used, 0)


def palette_bytes():
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)


def pack4(picture):
    """4-bit rows, bottom row first, each padded to a multiple of 4 bytes."""
    stride = ((picture.width * 4 + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(picture.height)):
        row = bytearray(stride)
        for x in range(picture.width):
            colour = picture.get(x, y)
            row[x // 2] |= colour << 4 if x % 2 == 0 else colour
        out += row
    return bytes(out)


def bmp4(picture):
    pixels = pack4(picture)
    header = info_header(picture.width, picture.height, 4, len(pixels), 16)
    return bmp_file(header, palette_bytes(), pixels)


def bmp16(width, height, rgb_rows):
    """16 bits per pixel, BI_RGB, which means 5-5-5 with the top bit clear."""
    stride = ((width * 16 + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            r, g, b = rgb_rows[y][x]
            struct.pack_into('<H', row, x * 2, ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3))
        out += row
    pixels = bytes(out)
    return bmp_file(info_header(width, height, 16, len(pixels), 0), b'', pixels)


def ico4(pictures):
    """An icon file of 16-colour images, each with an AND mask that leaves every pixel opaque."""
    images = []
    for picture in pictures:
        xor = pack4(picture)
        mask_stride = ((picture.width + 31) // 32) * 4
        mask = bytes(mask_stride * picture.height)
        header = info_header(picture.width, picture.height * 2, 4, len(xor) + len(mask), 0)
        images.append(header + palette_bytes() + xor + mask)
    out = struct.pack('<HHH', 0, 1, len(pictures))
    offset = 6 + 16 * len(pictures)
    for picture, image in zip(pictures, images):
        out += struct.pack('<BBBBHHII', picture.width, picture.height, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b''.join(images)


def write(name, data):
    path = os.path.join(HERE, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


# ---------------------------------------------------------------------------
# Shapes on a continuous plane: pixel (x, y) covers [x, x + 1) x [y, y + 1).

def triangle(a, b, c):
    def side(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    def inside(x, y):
        s1, s2, s3 = side(a, b, x, y), side(b, c, x, y), side(c, a, x, y)
        return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)
    return inside


def rect(left, top, right, bottom):
    return lambda x, y: left <= x < right and top <= y < bottom


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def union(*shapes):
    return lambda x, y: any(shape(x, y) for shape in shapes)


def mirrored(shape, width):
    return lambda x, y: shape(width - x, y)


def coverage(width, height, shape, samples=4):
    """Fraction of each pixel that the shape covers, by supersampling."""
    cover = [[0.0] * width for _ in range(height)]
    step = 1.0 / samples
    for y in range(height):
        for x in range(width):
            hits = 0
            for j in range(samples):
                for i in range(samples):
                    if shape(x + (i + 0.5) * step, y + (j + 0.5) * step):
                        hits += 1
            cover[y][x] = hits / (samples * samples)
    return cover


def letter_p(left, top, width, height, stroke):
    """A bold capital P: a stem and a bowl with a round right side."""
    bowl_h = height * 0.6
    ry = bowl_h / 2
    rx = min(ry, width - stroke)
    cx = left + width - rx
    cy = top + ry

    def d_shape(x, y, inset):
        if not (top + inset <= y <= top + bowl_h - inset):
            return False
        if left + inset <= x <= cx:
            return True
        ex, ey = rx - inset, ry - inset
        return x > cx and ex > 0 and ey > 0 and ((x - cx) / ex) ** 2 + ((y - cy) / ey) ** 2 <= 1

    def inside(x, y):
        if left <= x < left + stroke and top <= y < top + height:
            return True
        return d_shape(x, y, 0) and not d_shape(x, y, stroke)
    return inside


def mask_of(cover, threshold=0.5):
    return [[c >= threshold for c in row] for row in cover]


# ---------------------------------------------------------------------------
# The program's icon and the About box picture: a film strip bearing a red P.

def strip_icon(size):
    """The 16-colour icon: an aqua band between black edges with sprocket holes, a red P."""
    picture = Indexed(size, size, AQUA)
    edge = size * 3 // 16                   # 6 at 32, 3 at 16
    hole_w, hole_h, pitch = (2, 3, 5) if size >= 32 else (1, 2, 4)
    for y in range(size):
        for x in list(range(edge)) + list(range(size - edge, size)):
            picture.set(x, y, BLACK)
    for top in range(1, size - hole_h + 1, pitch):
        for y in range(top, top + hole_h):
            for dx in range(hole_w):
                picture.set((edge - hole_w) // 2 + dx, y, WHITE)
                picture.set(size - edge + (edge - hole_w + 1) // 2 + dx, y, WHITE)
    if size >= 32:
        shape = letter_p(9, 4, 14, 24, 5)
    else:
        shape = letter_p(4.5, 2, 7, 12, 2.5)
    p = mask_of(coverage(size, size, shape))
    for y in range(size):
        for x in range(size):
            if p[y][x]:
                picture.set(x, y, RED)
            elif x > 0 and y > 0 and p[y - 1][x - 1]:
                picture.set(x, y, BLACK)     # a hard shadow to the lower right
    return picture


def about_picture():
    """The 32 x 32 high-colour picture: the same film strip, shaded a little."""
    size = 32
    edge = 6
    rows = [[(0, 0, 0)] * size for _ in range(size)]
    for y in range(size):
        for x in range(edge, size - edge):
            t = (x - edge) / (size - 2 * edge - 1)
            rows[y][x] = (0, int(255 - 40 * t), int(255 - 24 * t))   # aqua, darker to the right
        # A thin frame line across the band every 16 rows, like the gaps between frames.
        if y % 16 == 15:
            for x in range(edge, size - edge):
                rows[y][x] = (0, 128, 128)
    for top in range(1, size - 2, 5):
        for y in range(top, top + 3):
            for x in (2, 3, 28, 29):
                rows[y][x] = (255, 255, 255)
    cover = coverage(size, size, letter_p(9, 4, 14, 24, 5))
    p = mask_of(cover)
    for y in range(size):
        for x in range(size):
            if p[y][x]:
                lit = x > 0 and not p[y][x - 1] or y > 0 and not p[y - 1][x]
                rows[y][x] = (255, 96, 96) if lit else (232, 0, 0)
            elif x > 0 and y > 0 and p[y - 1][x - 1]:
                rows[y][x] = (64, 0, 0)
    return rows


# ---------------------------------------------------------------------------
# Tool-bar glyphs.

OPEN_FOLDER = [
    "................",
    "................",
    "..KKKK..........",
    ".KWWWWK.........",
    ".KWYYYYKKKKKK...",
    ".KWOOOOOOOOOK...",
    ".KWOOOOOOOOOK...",
    ".KWOKKKKKKKKKKKK",
    ".KWOKYYYYYYYYYYK",
    ".KWKYYYYYYYYYYK.",
    ".KWKYYYYYYYYYOK.",
    ".KKYYYYYYYYYYK..",
    ".KKYYYYYYYYYOK..",
    ".KKKKKKKKKKKKK..",
    "................",
    "................",
]

CLOSED_BOX = [
    "................",
    "................",
    ".....KKKKKK.....",
    ".....K....K.....",
    "..KKKKKKKKKKKK..",
    "..KWWWWWWWWWOK..",
    "..KWYYYYYYYYOK..",
    "..KKKKKKKKKKKK..",
    "..KWYYYKKYYYOK..",
    "..KWYYYKKYYYOK..",
    "..KWYYYYYYYYOK..",
    "..KWYYYYYYYYOK..",
    "..KOOOOOOOOOOK..",
    "..KKKKKKKKKKKK..",
    "................",
    "................",
]

PLUS = [
    "..............",
    ".....KKKK.....",
    ".....KWWK.....",
    ".....KWWK.....",
    ".....KWWK.....",
    ".KKKKKWWKKKKK.",
    ".KWWWWWWWWWWK.",
    ".KWWWWWWWWWWK.",
    ".KKKKKWWKKKKK.",
    ".....KWWK.....",
    ".....KWWK.....",
    ".....KWWK.....",
    ".....KKKK.....",
    "..............",
]

MINUS = [
    "..............",
    "..............",
    "..............",
    "..............",
    "..............",
    ".KKKKKKKKKKKK.",
    ".KWWWWWWWWWWK.",
    ".KWWWWWWWWWWK.",
    ".KKKKKKKKKKKK.",
    "..............",
    "..............",
    "..............",
    "..............",
    "..............",
]


def glyph_pair(art):
    """Normal image, then the disabled one: the black outline alone, in grey."""
    normal = from_art(art, TOOLBAR_BACK)
    pair = Indexed(32, 16, TOOLBAR_BACK)
    pair.paste(normal, 0, 0)
    for y in range(16):
        for x in range(16):
            if normal.get(x, y) == BLACK:
                pair.set(16 + x, y, GREY)
    return pair


# ---------------------------------------------------------------------------
# Media-button glyphs.

MEDIA_WORDS = ['MPPLAY', 'MPPAUSE', 'MPSTOP', 'MPNEXT', 'MPPREV',
               'MPSTEP', 'MPBACK', 'MPRECORD', 'MPEJECT']
MEDIA_KINDS = ['EN', 'DI', 'CL']


def media_shapes():
    """Width, height and symbol of every button."""
    play = triangle((5, 3), (13, 8), (5, 13))
    skip = union(triangle((3, 3), (9.5, 8), (3, 13)),
                 triangle((9.5, 3), (16, 8), (9.5, 13)),
                 rect(16, 3, 18, 13))
    step = union(rect(4, 4, 6, 12), triangle((8, 4), (13, 8), (8, 12)))
    return {
        'MPPLAY': (17, 16, play),
        'MPPAUSE': (17, 16, union(rect(4, 3, 7, 13), rect(10, 3, 13, 13))),
        'MPSTOP': (17, 16, rect(4, 3, 13, 12)),
        'MPNEXT': (21, 16, skip),
        'MPPREV': (21, 16, mirrored(skip, 21)),
        'MPSTEP': (17, 16, step),
        'MPBACK': (17, 16, mirrored(step, 17)),
        'MPRECORD': (17, 16, disc(8.5, 8, 4.6)),
        'MPEJECT': (17, 16, union(triangle((4, 9), (13, 9), (8.5, 4)), rect(4, 10, 13, 12))),
    }


# Coloured symbols: fill and rim.
MEDIA_COLOURS = {
    'MPPLAY': (LIME, GREEN),
    'MPPAUSE': (YELLOW, BLACK),
    'MPSTOP': (RED, MAROON),
    'MPRECORD': (RED, MAROON),
}
OTHER_COLOUR = (BLUE, NAVY)


def media_glyph(kind, word):
    width, height, shape = media_shapes()[word]
    cover = coverage(width, height, shape)
    solid = mask_of(cover)

    def is_solid(x, y):
        return 0 <= x < width and 0 <= y < height and solid[y][x]

    def rim(x, y):
        return is_solid(x, y) and not all(is_solid(x + dx, y + dy)
                                          for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))

    picture = Indexed(width, height, MEDIA_BACK)
    if kind == 'DI':
        # Embossed outline: a white copy one pixel down and right, the grey outline over it.
        for y in range(height):
            for x in range(width):
                if rim(x, y):
                    picture.set(x + 1, y + 1, WHITE)
        for y in range(height):
            for x in range(width):
                if rim(x, y):
                    picture.set(x, y, GREY)
        return picture
    # Enabled and coloured: a white highlight under the lower-right edges.
    for y in range(height):
        for x in range(width):
            if is_solid(x - 1, y - 1) and not is_solid(x, y):
                picture.set(x, y, WHITE)
    for y in range(height):
        for x in range(width):
            if kind == 'EN':
                if solid[y][x]:
                    picture.set(x, y, BLACK)
                elif cover[y][x] >= 0.2:
                    picture.set(x, y, GREY)      # soften the slanted and round edges
            elif solid[y][x]:
                fill, edge = MEDIA_COLOURS.get(word, OTHER_COLOUR)
                picture.set(x, y, edge if rim(x, y) else fill)
    return picture


# ---------------------------------------------------------------------------
# The splash picture: snow-covered peaks above a sea of cloud, under a clear sky.

SPLASH_W, SPLASH_H = 640, 506


class Noise:
    """Smooth value noise on an integer lattice, from a fixed seed."""

    def __init__(self, seed):
        rng = random.Random(seed)
        self.values = [rng.random() for _ in range(256)]
        self.perm = list(range(256))
        rng.shuffle(self.perm)

    def lattice(self, i, j):
        return self.values[self.perm[(self.perm[i & 255] + j) & 255]]

    def at(self, x, y):
        i, j = math.floor(x), math.floor(y)
        fx, fy = x - i, y - j
        sx, sy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
        a = self.lattice(i, j) + (self.lattice(i + 1, j) - self.lattice(i, j)) * sx
        b = self.lattice(i, j + 1) + (self.lattice(i + 1, j + 1) - self.lattice(i, j + 1)) * sx
        return a + (b - a) * sy

    def fbm(self, x, y, octaves):
        total, amplitude, norm = 0.0, 1.0, 0.0
        for _ in range(octaves):
            total += amplitude * self.at(x, y)
            norm += amplitude
            amplitude *= 0.5
            x, y = x * 2.03, y * 2.03
        return total / norm


def ridge(points, roughness, seed):
    """A jagged skyline through the control points, by midpoint displacement."""
    rng = random.Random(seed)
    heights = [None] * SPLASH_W
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        segment = {x0: y0, x1: y1}

        def split(a, b, spread):
            if b - a < 2:
                return
            m = (a + b) // 2
            segment[m] = (segment[a] + segment[b]) / 2 + (rng.random() * 2 - 1) * spread
            split(a, m, spread * 0.55)
            split(m, b, spread * 0.55)
        split(x0, x1, roughness * (x1 - x0))
        known = sorted(segment)
        for a, b in zip(known, known[1:]):
            for x in range(a, min(b, SPLASH_W - 1) + 1):
                t = (x - a) / (b - a)
                heights[x] = segment[a] + (segment[b] - segment[a]) * t
    return heights


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def splash_pixels():
    w, h = SPLASH_W, SPLASH_H
    rock_noise = Noise(11)
    cloud_noise = Noise(23)
    edge_noise = Noise(37)
    image = [[(0.0, 0.0, 0.0)] * w for _ in range(h)]

    # Sky: deep blue overhead, paler towards the horizon.
    for y in range(h):
        colour = mix((22, 74, 168), (156, 200, 238), (y / 360) ** 1.3)
        image[y] = [colour] * w

    # A few thin wisps drifting across the lower sky.
    for y in range(150, 250):
        row = image[y]
        for x in range(w):
            n = cloud_noise.fbm(x / 120.0 + 40, y / 9.0, 3)
            band = math.exp(-((y - 205) / 22.0) ** 2)
            alpha = max(0.0, n - 0.55) * 1.8 * band
            if alpha > 0:
                row[x] = mix(row[x], (250, 252, 255), alpha)

    # Mountain ranges, far to near. Each: skyline, lit snow, snow in shade, rock, haze.
    ranges = [
        (ridge([(0, 250), (70, 215), (150, 240), (230, 200), (300, 236), (380, 196),
                (450, 230), (520, 190), (600, 226), (639, 212)], 0.22, 5),
         (226, 234, 246), (160, 176, 208), (120, 130, 160), 0.45),
        (ridge([(0, 262), (60, 190), (120, 226), (205, 92), (262, 150), (318, 128),
                (372, 190), (448, 108), (500, 160), (560, 136), (639, 214)], 0.26, 7),
         (252, 252, 254), (150, 162, 196), (72, 72, 84), 0.0),
        (ridge([(0, 318), (40, 276), (110, 300), (160, 320), (460, 330), (540, 290),
                (600, 262), (639, 282)], 0.3, 13),
         (246, 247, 250), (136, 148, 182), (58, 56, 64), 0.0),
    ]
    for skyline, lit, shade, rock, haze in ranges:
        for x in range(w):
            top = int(math.ceil(skyline[x]))
            for y in range(max(top, 0), h):
                depth = y - skyline[x]
                # Which way the face turns: the skyline's slope, taken wider further down.
                d = int(2 + depth * 0.6)
                left = skyline[max(x - d, 0)]
                right = skyline[min(x + d, w - 1)]
                slope = (right - left) / (2 * d)
                # Rock and snow streaks run down the fall line, away from the crest.
                fall = x + 0.7 * depth * math.tanh(-3 * slope)
                streak = rock_noise.fbm(fall / 6.0, y / 45.0, 3)
                light = 0.62 - 1.6 * slope + (streak - 0.5) * 0.5
                colour = mix(shade, lit, light)
                # Bare rock shows on the steep faces and lower down.
                if streak + abs(slope) * 0.3 + depth / 1000 > 0.78:
                    colour = mix(rock, colour, 0.35 + 0.4 * max(light, 0))
                sky = image[y][x]
                image[y][x] = mix(colour, sky, haze + min(depth / 260, 0.25) * (1 - haze) * 0.6)

    # The sea of cloud, from about two thirds of the way down.
    for y in range(250, h):
        row = image[y]
        for x in range(w):
            surface = 336 + 22 * (edge_noise.fbm(x / 90.0, 0.5, 3) - 0.5) * 2
            billow = cloud_noise.fbm(x / 55.0, y / 22.0, 4)
            density = (y - surface) / 34 + (billow - 0.5) * 1.6
            if density <= 0:
                continue
            alpha = min(density, 1.0)
            alpha = alpha * alpha * (3 - 2 * alpha)
            brightness = 0.55 + billow * 0.6 - max(0, (y - surface) / 700)
            colour = mix((176, 190, 214), (255, 255, 255), brightness)
            row[x] = mix(row[x], colour, alpha)

    return [[tuple(int(round(max(0, min(255, c)))) for c in px) for px in row] for row in image]


def encode_jpeg(pixels, quality):
    """Baseline JPEG, 4:2:0, 8-bit, JFIF 96 dpi, through ImageMagick or cjpeg."""
    ppm = b'P6\n%d %d\n255\n' % (SPLASH_W, SPLASH_H) + bytes(c for row in pixels for px in row for c in px)
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, 'splash.ppm')
        target = os.path.join(tmp, 'splash.jpg')
        with open(source, 'wb') as f:
            f.write(ppm)
        if shutil.which('convert'):
            command = ['convert', source, '-strip', '-interlace', 'none',
                       '-sampling-factor', '2x2,1x1,1x1', '-quality', str(quality),
                       '-units', 'PixelsPerInch', '-density', '96', target]
        elif shutil.which('cjpeg'):
            command = ['cjpeg', '-quality', str(quality), '-sample', '2x2,1x1,1x1',
                       '-optimize', '-outfile', target, source]
        else:
            sys.exit('make_resources: neither convert nor cjpeg found for the splash picture')
        subprocess.run(command, check=True)
        with open(target, 'rb') as f:
            data = bytearray(f.read())
    # Whichever encoder wrote it, the JFIF header says 96 x 96 dots per inch.
    if data[2:4] != b'\xff\xe0' or data[6:11] != b'JFIF\0':
        sys.exit('make_resources: the encoder wrote no JFIF header')
    data[13] = 1
    struct.pack_into('>HH', data, 14, 96, 96)
    return bytes(data)


# ---------------------------------------------------------------------------
# Checks of the written files.

class CheckError(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise CheckError(message)


def read(name):
    with open(os.path.join(HERE, name), 'rb') as f:
        return f.read()


def parse_bmp(name):
    """Returns (width, height, bits, rows of pixel values) of an uncompressed bitmap."""
    data = read(name)
    expect(data[:2] == b'BM', f'{name}: not a bitmap')
    size, _, _, offset = struct.unpack_from('<IHHI', data, 2)
    expect(size == len(data), f'{name}: file size field {size} != {len(data)}')
    (header, width, height, planes, bits, compression, image_size,
     _, _, used, _) = struct.unpack_from('<IiiHHIIiiII', data, 14)
    expect(header == 40 and planes == 1 and compression == 0, f'{name}: not a plain BI_RGB bitmap')
    expect(height > 0, f'{name}: not bottom-up')
    stride = ((width * bits + 31) // 32) * 4
    expect(len(data) - offset == stride * height == image_size, f'{name}: pixel data size')
    if bits <= 8:
        expect(offset == 14 + 40 + 4 * (used or 1 << bits), f'{name}: palette size')
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y) * stride
        if bits == 4:
            rows.append([(data[start + x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for x in range(width)])
        elif bits == 16:
            rows.append([struct.unpack_from('<H', data, start + 2 * x)[0] for x in range(width)])
        else:
            rows.append([])
    if bits == 4:
        pal = [tuple(data[54 + 4 * i: 54 + 4 * i + 3][::-1]) for i in range(16)]
        expect(pal == PALETTE, f'{name}: unexpected palette')
    return width, height, bits, rows


def check_ico():
    data = read('pelma.ico')
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    expect(reserved == 0 and kind == 1 and count >= 1, 'pelma.ico: not an icon file')
    sizes = []
    for i in range(count):
        w, h, colours, _, planes, bits, length, offset = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        expect(colours == 16 and bits == 4, f'pelma.ico: entry {i} is not 16 colours')
        expect(offset + length <= len(data), f'pelma.ico: entry {i} out of the file')
        hsize, bw, bh, _, bbits, compression = struct.unpack_from('<IiiHHI', data, offset)
        expect(hsize == 40 and bw == w and bh == 2 * h and bbits == 4 and compression == 0,
               f'pelma.ico: entry {i} header')
        xor = ((w * 4 + 31) // 32) * 4 * h
        mask = ((w + 31) // 32) * 4 * h
        expect(length == 40 + 64 + xor + mask, f'pelma.ico: entry {i} has no room for its AND mask')
        sizes.append((w, h))
    expect((32, 32) in sizes, 'pelma.ico: no 32 x 32 image')
    return sizes


def check_toolbar(name, width, height, pair):
    w, h, bits, rows = parse_bmp(name)
    expect((w, h, bits) == (width, height, 4), f'{name}: {w} x {h} x {bits}')
    back = rows[h - 1][0]
    images = [(0, 16), (16, 32)] if pair else [(0, w)]
    for left, right in images:
        expect(rows[h - 1][left] == back, f'{name}: lower-left pixels differ')
        drawn = sum(1 for y in range(h) for x in range(left, right) if rows[y][x] != back)
        expect(drawn > 10, f'{name}: an image is empty')
    if pair:
        colours = {rows[y][x] for y in range(h) for x in range(16, 32)} - {back}
        expect(colours == {GREY}, f'{name}: the disabled image is not a grey outline')


def check_about():
    w, h, bits, _ = parse_bmp('about_icon.bmp')
    expect((w, h, bits) == (32, 32, 16), f'about_icon.bmp: {w} x {h} x {bits}')


def check_media():
    widths, heights = [], []
    for kind in MEDIA_KINDS:
        for word in MEDIA_WORDS:
            name = f'mp/{kind}_{word}.bmp'
            w, h, bits, rows = parse_bmp(name)
            expect(bits == 4 and 13 <= w <= 21 and 13 <= h <= 16, f'{name}: {w} x {h} x {bits}')
            if word in ('MPPLAY', 'MPSTOP'):
                expect((w, h) == (17, 16), f'{name}: must be 17 x 16')
            corners = {rows[0][0], rows[0][w - 1], rows[h - 1][0], rows[h - 1][w - 1]}
            expect(corners == {MEDIA_BACK}, f'{name}: background is not olive')
            used = {c for row in rows for c in row}
            expect(len(used) > 1, f'{name}: empty')
            if kind == 'DI':
                expect(used <= {MEDIA_BACK, GREY, WHITE}, f'{name}: not grey and white')
            if kind == 'EN':
                expect(BLACK in used and used <= {MEDIA_BACK, BLACK, GREY, WHITE}, f'{name}: not black')
            if kind == 'CL':
                fill = MEDIA_COLOURS.get(word, OTHER_COLOUR)[0]
                expect(fill in used, f'{name}: lacks its colour')
            widths.append(w)
            heights.append(h)
    expect(max(widths) == 21 and max(heights) == 16,
           f'media glyphs: widest {max(widths)}, tallest {max(heights)}; want 21 and 16')


def jpeg_segments(data):
    """Yields (marker, payload) up to and including the first scan header, then the rest."""
    expect(data[:2] == b'\xff\xd8', 'splash.jpg: no start-of-image marker')
    pos = 2
    while True:
        expect(data[pos] == 0xFF, f'splash.jpg: marker expected at {pos}')
        while data[pos] == 0xFF:
            pos += 1
        marker = data[pos]
        length = struct.unpack_from('>H', data, pos + 1)[0]
        yield marker, data[pos + 3: pos + 1 + length]
        pos += 1 + length
        if marker == 0xDA:
            break
    # Entropy-coded data: the only markers allowed before the end are restarts.
    while pos < len(data) - 1:
        if data[pos] == 0xFF and data[pos + 1] not in (0x00, 0xFF) and not 0xD0 <= data[pos + 1] <= 0xD7:
            yield data[pos + 1], data[pos + 2:]
            return
        pos += 1
    raise CheckError('splash.jpg: no end-of-image marker')


def check_jpeg():
    data = read('splash.jpg')
    expect(len(data) <= 60 * 1024, f'splash.jpg: {len(data)} bytes, more than 60 KB')
    seen = []
    for marker, payload in jpeg_segments(data):
        seen.append(marker)
        if marker == 0xE0 and payload[:5] == b'JFIF\0':
            units, xd, yd = payload[7], *struct.unpack_from('>HH', payload, 8)
            expect((units, xd, yd) == (1, 96, 96), f'splash.jpg: density {xd} x {yd} units {units}')
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            expect(marker == 0xC0, f'splash.jpg: frame marker {marker:#x} is not baseline')
            precision, height, width, count = struct.unpack_from('>BHHB', payload, 0)
            expect((precision, width, height, count) == (8, SPLASH_W, SPLASH_H, 3),
                   f'splash.jpg: frame {width} x {height}, {count} components, {precision} bits')
            sampling = [payload[6 + 3 * i + 1] for i in range(3)]
            expect(sampling == [0x22, 0x11, 0x11], f'splash.jpg: sampling {sampling}')
    expect(seen[0] == 0xE0, 'splash.jpg: the JFIF header is not the first segment')
    expect(seen.count(0xC0) == 1 and seen.count(0xDA) == 1, 'splash.jpg: not one baseline frame and scan')
    expect(seen[-1] == 0xD9, 'splash.jpg: the scan is not followed by the end of image')


def check_all():
    sizes = check_ico()
    check_toolbar('glyph_open.bmp', 32, 16, True)
    check_toolbar('glyph_exit.bmp', 32, 16, True)
    check_toolbar('glyph_plus.bmp', 14, 14, False)
    check_toolbar('glyph_minus.bmp', 14, 14, False)
    check_about()
    check_media()
    check_jpeg()
    return sizes


# ---------------------------------------------------------------------------

def generate():
    write('pelma.ico', ico4([strip_icon(32), strip_icon(16)]))
    write('glyph_open.bmp', bmp4(glyph_pair(OPEN_FOLDER)))
    write('glyph_exit.bmp', bmp4(glyph_pair(CLOSED_BOX)))
    write('glyph_plus.bmp', bmp4(from_art(PLUS, TOOLBAR_BACK)))
    write('glyph_minus.bmp', bmp4(from_art(MINUS, TOOLBAR_BACK)))
    write('about_icon.bmp', bmp16(32, 32, about_picture()))
    for kind in MEDIA_KINDS:
        for word in MEDIA_WORDS:
            write(f'mp/{kind}_{word}.bmp', bmp4(media_glyph(kind, word)))
    write('splash.jpg', encode_jpeg(splash_pixels(), 85))


def main(argv):
    if '--check' not in argv:
        generate()
    try:
        sizes = check_all()
    except CheckError as error:
        sys.exit(f'make_resources: check failed: {error}')
    print(f'make_resources: all files check out (icon images {sizes}, '
          f'splash {len(read("splash.jpg"))} bytes)')


if __name__ == '__main__':
    main(sys.argv[1:])
