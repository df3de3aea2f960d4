"""Writes ICC profiles (version 2, matrix and tone curves) for the colour
tests and the picture benchmark: Display P3 and sRGB, as the picture files'
embedded profiles and as the reference conversions' target.

    python3 make_icc.py FOLDER
"""
import struct
import sys


def xyz_of(x, y):
    return (x / y, 1.0, (1 - x - y) / y)


def mat_mul(a, b):
    return [[sum(a[r][k] * b[k][c] for k in range(3)) for c in range(3)] for r in range(3)]


def mat_inv(m):
    (a, b, c), (d, e, f), (g, h, i) = m
    det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g)
    return [[(e * i - f * h) / det, (c * h - b * i) / det, (b * f - c * e) / det],
            [(f * g - d * i) / det, (a * i - c * g) / det, (c * d - a * f) / det],
            [(d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det]]


def colorants(primaries, white):
    """The RGB to XYZ matrix, adapted from the white point to D50 (Bradford)."""
    cols = [xyz_of(*p) for p in primaries]
    m = [[cols[c][r] for c in range(3)] for r in range(3)]
    w = xyz_of(*white)
    s = [sum(mat_inv(m)[r][k] * w[k] for k in range(3)) for r in range(3)]
    m = [[m[r][c] * s[c] for c in range(3)] for r in range(3)]
    brad = [[0.8951, 0.2664, -0.1614], [-0.7502, 1.7135, 0.0367], [0.0389, -0.0685, 1.0296]]
    d50 = (0.9642, 1.0, 0.8249)
    src = [sum(brad[r][k] * w[k] for k in range(3)) for r in range(3)]
    dst = [sum(brad[r][k] * d50[k] for k in range(3)) for r in range(3)]
    scale = [[dst[r] / src[r] if r == c else 0 for c in range(3)] for r in range(3)]
    return mat_mul(mat_mul(mat_mul(mat_inv(brad), scale), brad), m)


def s15(v):
    return struct.pack(">i", int(round(v * 65536)))


def xyz_tag(x, y, z):
    return b"XYZ " + b"\0" * 4 + s15(x) + s15(y) + s15(z)


def srgb_curve():
    values = []
    for i in range(1024):
        v = i / 1023
        lin = v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
        values.append(int(round(lin * 65535)))
    return b"curv" + b"\0" * 4 + struct.pack(">I", len(values)) + struct.pack(">%dH" % len(values), *values)


def text_desc(text):
    t = text.encode("ascii") + b"\0"
    return (b"desc" + b"\0" * 4 + struct.pack(">I", len(t)) + t + b"\0" * 4 + b"\0" * 4 +
            b"\0" * 3 + b"\0" * 67)


def profile(name, primaries, white):
    m = colorants(primaries, white)
    curve = srgb_curve()
    tags = [(b"desc", text_desc(name)), (b"cprt", b"text" + b"\0" * 4 + b"No copyright, test data\0"),
            (b"wtpt", xyz_tag(0.9642, 1.0, 0.8249)),
            (b"rXYZ", xyz_tag(m[0][0], m[1][0], m[2][0])), (b"gXYZ", xyz_tag(m[0][1], m[1][1], m[2][1])),
            (b"bXYZ", xyz_tag(m[0][2], m[1][2], m[2][2])),
            (b"rTRC", curve), (b"gTRC", curve), (b"bTRC", curve)]
    offset = 128 + 4 + 12 * len(tags)
    table, data, placed = b"", b"", {}
    for sig, body in tags:
        if body in placed:  # the three curves share one copy
            at = placed[body]
        else:
            while (offset + len(data)) % 4:
                data += b"\0"
            at = offset + len(data)
            placed[body] = at
            data += body
        table += sig + struct.pack(">II", at, len(body))
    size = offset + len(data)
    header = (struct.pack(">I", size) + b"\0" * 4 + bytes([2, 0x10, 0, 0]) + b"mntr" + b"RGB " + b"XYZ " +
              struct.pack(">6H", 2026, 1, 1, 0, 0, 0) + b"acsp" + b"\0" * 4 + b"\0" * 4 + b"\0" * 8 +
              b"\0" * 8 + b"\0" * 4 + s15(0.9642) + s15(1.0) + s15(0.8249) + b"\0" * 4 + b"\0" * 16 +
              b"\0" * 28)
    assert len(header) == 128
    return header + struct.pack(">I", len(tags)) + table + data


def main():
    out = sys.argv[1]
    d65 = (0.3127, 0.3290)
    with open(out + "/display-p3.icc", "wb") as f:
        f.write(profile("Display P3 (test)", [(0.680, 0.320), (0.265, 0.690), (0.150, 0.060)], d65))
    with open(out + "/srgb.icc", "wb") as f:
        f.write(profile("sRGB (test)", [(0.640, 0.330), (0.300, 0.600), (0.150, 0.060)], d65))


main()
