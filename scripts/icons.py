#!/usr/bin/env python3
"""Draws the program icon for the desktop's icon theme from the 32-pixel
artwork in res/bitmaps: the 16 and 32 pixel bitmaps as they are, the larger
sizes drawn anew with every straight edge on a pixel boundary and strokes
of whole pixels, so each size is crisp, plus a scalable SVG.

    scripts/icons.py            writes res/linux/icons/
"""
import math
import os
import shutil
import struct
import zlib

ICON = "example.corvane.Bytelon"
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
OUT = os.path.join(ROOT, "res", "linux", "icons")

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
LIGHT = (192, 192, 192)
NAVY = (0, 0, 128)
RED = (224, 0, 0)
GREY = (128, 128, 128)


def rect(x, y, w, h, k):
    """A rectangle of the 32-unit artwork at scale k: corners rounded to pixels,
    sizes rounded on their own so equal parts stay equal."""
    x0, y0 = round_half_up(x * k), round_half_up(y * k)
    return (x0, y0, x0 + round_half_up(w * k), y0 + round_half_up(h * k))


def round_half_up(v):
    return int(math.floor(v + 0.5))


def shapes(size):
    """The icon as (colour, shape) from back to front, in pixels of the size.
    A shape is ('poly', [half-planes]) or ('rect', box) or ('ring', box, g, r)."""
    k = size / 32.0
    w = max(1, round_half_up(0.75 * k))          # outline
    g = max(1, round_half_up(2 * k))             # glyph strokes
    left, top, right, bottom = rect(4, 1, 24, 30, k)
    fold = round_half_up(7 * k)
    # The page: a rectangle whose top right corner is folded at 45 degrees.
    cut = right - fold + w - top                 # the fold's edge: x - y = cut
    out = []

    def halfplanes(inset, diagonal):
        return [(0, -1, -(top + inset)), (-1, 0, -(left + inset)), (1, 0, right - inset),
                (0, 1, bottom - inset), (1, -1, diagonal)]

    out.append((BLACK, ("poly", halfplanes(0, cut))))
    out.append((WHITE, ("poly", halfplanes(w, cut - w * math.sqrt(2)))))
    # The folded-over corner: its two creases and its grey back.
    crease = right - fold
    out.append((BLACK, ("poly", [(-1, 0, -crease), (0, -1, -top), (0, 1, top + fold), (1, -1, cut),
                                 (1, 0, right)])))
    out.append((LIGHT, ("poly", [(-1, 0, -(crease + w)), (0, 1, top + fold - w),
                                 (1, -1, cut - w * math.sqrt(2))])))
    # "0F", a byte in hexadecimal.
    zx0, zy0, zx1, zy1 = rect(8, 9, 7, 11, k)
    out.append((NAVY, ("ring", (zx0, zy0, zx1, zy1), g, 1.25 * k)))
    fx0, fy0, _, fy1 = rect(17, 9, 7, 11, k)
    fx1 = rect(17, 9, 7, 11, k)[2]
    out.append((RED, ("rect", (fx0, fy0, fx0 + g, fy1))))
    out.append((RED, ("rect", (fx0, fy0, fx1, fy0 + g))))
    my = round_half_up(13 * k)
    out.append((RED, ("rect", (fx0, my, fx0 + round_half_up(6 * k), my + g))))
    # Two lines of bytes below it.
    for y in (23, 26):
        for x in (7, 12, 17, 22):
            out.append((GREY, ("rect", rect(x, y, 3, 2, k))))
    return out


def inside(shape, x, y):
    kind = shape[0]
    if kind == "rect":
        x0, y0, x1, y1 = shape[1]
        return x0 <= x < x1 and y0 <= y < y1
    if kind == "poly":
        return all(a * x + b * y <= c for a, b, c in shape[1])
    (x0, y0, x1, y1), g, r = shape[1], shape[2], shape[3]
    return in_rounded(x, y, x0, y0, x1, y1, r) and not in_rounded(x, y, x0 + g, y0 + g, x1 - g, y1 - g,
                                                                 max(0.0, r - g))


def in_rounded(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x < x1 and y0 <= y < y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def render(size, samples=4):
    layers = shapes(size)
    pixels = []
    offsets = [(i + 0.5) / samples for i in range(samples)]
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for oy in offsets:
                for ox in offsets:
                    colour = None
                    for c, shape in reversed(layers):
                        if inside(shape, px + ox, py + oy):
                            colour = c
                            break
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = samples * samples
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]),
                            round(255 * acc[3] / n)))
        pixels.append(row)
    return pixels


def write_png(path, pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def svg():
    """The 32-unit drawing as SVG, the shapes above at scale 1."""
    def colour(c):
        return "#%02x%02x%02x" % c

    def polygon(planes):
        # Corners of a convex polygon given as half-planes a*x + b*y <= c.
        points = []
        for i, (a1, b1, c1) in enumerate(planes):
            for a2, b2, c2 in planes[i + 1:]:
                det = a1 * b2 - a2 * b1
                if abs(det) < 1e-9:
                    continue
                x = (c1 * b2 - c2 * b1) / det
                y = (a1 * c2 - a2 * c1) / det
                if all(a * x + b * y <= c + 1e-9 for a, b, c in planes):
                    points.append((x, y))
        cx = sum(p[0] for p in points) / len(points)
        cy = sum(p[1] for p in points) / len(points)
        points.sort(key=lambda p: math.atan2(p[1] - cy, p[0] - cx))
        return " ".join("%g,%g" % (round(x, 3), round(y, 3)) for x, y in points)

    lines = ['<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">']
    for c, shape in shapes(32):
        if shape[0] == "poly":
            lines.append('  <polygon fill="%s" points="%s"/>' % (colour(c), polygon(shape[1])))
        elif shape[0] == "rect":
            x0, y0, x1, y1 = shape[1]
            lines.append('  <rect fill="%s" x="%d" y="%d" width="%d" height="%d"/>'
                         % (colour(c), x0, y0, x1 - x0, y1 - y0))
        else:
            (x0, y0, x1, y1), g, r = shape[1], shape[2], shape[3]
            ri = max(0.0, r - g)
            lines.append('  <path fill="%s" fill-rule="evenodd" d="%s %s"/>'
                         % (colour(c), rounded_path(x0, y0, x1, y1, r),
                            rounded_path(x0 + g, y0 + g, x1 - g, y1 - g, ri)))
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


def rounded_path(x0, y0, x1, y1, r):
    if r <= 0:
        return "M%g %gH%gV%gH%gZ" % (x0, y0, x1, y1, x0)
    return ("M%g %gH%gA%g %g 0 0 1 %g %gV%gA%g %g 0 0 1 %g %gH%gA%g %g 0 0 1 %g %gV%gA%g %g 0 0 1 %g %gZ"
            % (x0 + r, y0, x1 - r, r, r, x1, y0 + r, y1 - r, r, r, x1 - r, y1, x0 + r, r, r, x0, y1 - r,
               y0 + r, r, r, x0 + r, y0))


def main():
    for size in (16, 32, 48, 64, 128, 256):
        folder = os.path.join(OUT, "hicolor", "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        target = os.path.join(folder, ICON + ".png")
        if size in (16, 32):
            # The hand-drawn bitmaps are the artwork at these sizes.
            name = "Bytelon16.png" if size == 16 else "Bytelon.png"
            shutil.copyfile(os.path.join(ROOT, "res", "bitmaps", name), target)
        else:
            write_png(target, render(size))
    folder = os.path.join(OUT, "hicolor", "scalable", "apps")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, ICON + ".svg"), "w") as f:
        f.write(svg())


if __name__ == "__main__":
    main()
