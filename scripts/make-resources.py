#!/usr/bin/env python3
"""Draws the program's banner (res/banner.bmp, 500 x 58, 24-bit) and its icon
(res/micon.ico: 16x16 and 32x32 in 24-bit colour, 48x48 in 256 colours).
The generated files are committed, so the build does not need this script."""
import math
import os
import struct

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def clamp(c):
    return tuple(max(0, min(255, int(round(v)))) for v in c)


# ---------------------------------------------------------------- banner
NAVY, BLUE, TEAL, PALE = (22, 38, 74), (44, 92, 156), (58, 140, 170), (230, 238, 248)


def banner_pixel(x, y, w, h):
    c = mix(NAVY, BLUE, x / (w * 0.55)) if x < w * 0.55 else mix(BLUE, TEAL, (x - w * 0.55) / (w * 0.45))
    c = mix(c, (0, 0, 0), 0.18 * (y / h))                      # darker towards the bottom
    for i in range(7):                                         # soft diagonal light bands
        d = (x + y * 1.8 - 40 - i * 70) % 420
        if d < 18:
            c = mix(c, PALE, 0.06 * math.sin(math.pi * d / 18))
    cx, cy, r = 62, 29, 21                                     # emblem ring on the left
    dist = math.hypot(x - cx, y - cy)
    if abs(dist - r) < 2.2:
        c = mix(c, PALE, 0.55 * (1 - abs(dist - r) / 2.2))
    if dist < r - 3:
        c = mix(c, PALE, 0.10)
        q = quill_coverage((x - cx) / (2 * r) + 0.5, (y - cy) / (2 * r) + 0.5, 1 / (2 * r))
        c = mix(c, (255, 255, 255), 0.85 * q)
    if y == h - 2:
        c = mix(c, PALE, 0.35)
    if y == h - 1:
        c = mix(c, (10, 16, 30), 0.6)
    return clamp(c)


def write_bmp(path, w, h, pixel):
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y, w, h)
            line += bytes((b, g, r))
        data += line + b"\0" * (row - len(line))
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


# ---------------------------------------------------------------- icon
def quill_coverage(u, v, px):
    """How much of the pixel at unit coordinates (u, v) the quill covers."""
    samples = 4
    hits = 0
    for sy in range(samples):
        for sx in range(samples):
            a = u + (sx + 0.5) / samples * px - px / 2
            b = v + (sy + 0.5) / samples * px - px / 2
            # the quill runs from the nib (0.24, 0.80) up to the tip (0.80, 0.18)
            t = ((a - 0.24) * 0.56 + (b - 0.80) * -0.62) / (0.56 ** 2 + 0.62 ** 2)
            if 0 <= t <= 1:
                px_ = 0.24 + 0.56 * t
                py_ = 0.80 - 0.62 * t
                side = (a - px_) * 0.62 + (b - py_) * 0.56  # >0: below-right of the shaft
                width = 0.16 * math.sin(math.pi * min(1.0, t * 1.15)) if t > 0.12 else 0.02
                if -width * 0.35 <= side <= width:
                    hits += 1
    return hits / (samples * samples)


def icon_pixel(x, y, n):
    """(r, g, b, opaque) of the emblem: a rounded blue tile with a white quill."""
    u, v = (x + 0.5) / n, (y + 0.5) / n
    radius = 0.22
    m = 0.03
    du = max(m + radius - u, 0, u - (1 - m - radius))
    dv = max(m + radius - v, 0, v - (1 - m - radius))
    if u < m or v < m or u > 1 - m or v > 1 - m or math.hypot(du, dv) > radius:
        return (0, 0, 0, False)
    c = mix((70, 130, 205), (20, 50, 105), v)
    edge = min(u - m, v - m, 1 - m - u, 1 - m - v)
    if edge < 1.2 / n:
        c = mix(c, (12, 28, 60), 0.7)
    q = quill_coverage(u, v, 1.0 / n)
    c = mix(c, (255, 255, 255), q)
    nib = math.hypot(u - 0.24, v - 0.80)
    if nib < 0.07:
        c = mix(c, (240, 190, 60), 1 - nib / 0.07)
    return clamp(c) + (True,)


PALETTE = []


def nearest(c):
    return min(range(len(PALETTE)), key=lambda i: sum((PALETTE[i][k] - c[k]) ** 2 for k in range(3)))


def adaptive_palette(pixels):
    """At most 256 colours: the image's own, with precision dropped until they fit."""
    colours = {p[:3] for row in pixels for p in row} | {(0, 0, 0)}
    shift = 0
    while len(colours) > 256:
        shift += 1
        colours = {tuple((v >> shift) << shift for v in c) for c in colours}
    return sorted(colours)


def icon_image(n, bits):
    pixels = [[icon_pixel(x, y, n) for x in range(n)] for y in range(n)]
    palette = b""
    if bits == 8:
        PALETTE[:] = adaptive_palette(pixels)
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE) + b"\0" * 4 * (256 - len(PALETTE))
    xor = bytearray()
    for y in range(n - 1, -1, -1):
        line = bytearray()
        for x in range(n):
            r, g, b, opaque = pixels[y][x]
            if not opaque:
                r = g = b = 0
            line += bytes((nearest((r, g, b)),)) if bits == 8 else bytes((b, g, r))
        xor += line + b"\0" * (((len(line) + 3) & ~3) - len(line))
    mask = bytearray()
    mask_row = ((n + 31) // 32) * 4
    for y in range(n - 1, -1, -1):
        line = bytearray(mask_row)
        for x in range(n):
            if not pixels[y][x][3]:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, bits, 0, len(xor) + len(mask), 0, 0,
                         256 if bits == 8 else 0, 0)
    return header + palette + bytes(xor) + bytes(mask)


def write_ico(path, formats):
    images = [(n, bits, icon_image(n, bits)) for n, bits in formats]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, bits, data in images:
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(d for _, _, d in images))


if __name__ == "__main__":
    write_bmp(os.path.join(RES, "banner.bmp"), 500, 58, banner_pixel)
    write_ico(os.path.join(RES, "micon.ico"), [(16, 24), (32, 24), (48, 8)])
    print("wrote res/banner.bmp and res/micon.ico")
