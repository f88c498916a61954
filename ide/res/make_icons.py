#!/usr/bin/env python3
"""Draws the three window icons (our own art), 48x48 with transparency.

Run from the repository root: python3 ide/res/make_icons.py
Writes ide/res/ICON128.png (the IDE: a program page with a matrix),
plot_device/res/ICON128.png (the plot window: axes and a curve) and
console_device/res/ICON128.png (the console window: a prompt). Each is the
icon of the frame loaded from resource 128 in its module.
"""
import math
import os
import struct
import zlib

S = 48   # icon size
N = 4    # samples per pixel side


def png(path, px):
    raw = b"".join(b"\0" + bytes(c for x in range(S) for c in px[y][x]) for y in range(S))

    def chunk(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)

    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", S, S, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def render(shade):
    """shade(x, y) -> (r, g, b, a) or None at a sample point; averaged per pixel."""
    px = []
    for y in range(S):
        row = []
        for x in range(S):
            acc = [0.0, 0.0, 0.0, 0.0]
            for j in range(N):
                for i in range(N):
                    c = shade(x + (i + 0.5) / N, y + (j + 0.5) / N)
                    if c:
                        a = c[3] / 255.0
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
            n = N * N
            a = acc[3] / n
            if a <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[k] / acc[3])) for k in range(3)) + (int(round(a * 255)),))
        px.append(row)
    return px


def rounded(x, y, l, t, r, b, rad):
    if x < l or x > r or y < t or y > b:
        return False
    cx = min(max(x, l + rad), r - rad)
    cy = min(max(y, t + rad), b - rad)
    return (x - cx) ** 2 + (y - cy) ** 2 <= rad * rad


def near_segment(x, y, x1, y1, x2, y2, w):
    dx, dy = x2 - x1, y2 - y1
    t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (x1 + t * dx), y - (y1 + t * dy)) <= w / 2


def ide(x, y):
    # A page with a folded corner and a bracketed 2x2 matrix of dots.
    ink, page, edge, blue = (30, 40, 70, 255), (250, 250, 245, 255), (90, 100, 120, 255), (40, 90, 200, 255)
    if not rounded(x, y, 8, 3, 40, 45, 2):
        return None
    if x > 30 and y < 13 and (x - 30) > (y - 3):
        return None   # the folded corner
    if near_segment(x, y, 30, 3, 40, 13, 1.4) or near_segment(x, y, 30, 3, 30, 13, 1.2) or near_segment(x, y, 30, 13, 40, 13, 1.2):
        return edge
    if not rounded(x, y, 9.2, 4.2, 38.8, 43.8, 1.5):
        return edge
    for bx in (14, 34):
        side = 1 if bx == 14 else -1
        if near_segment(x, y, bx, 17, bx, 37, 2.2) or near_segment(x, y, bx, 17, bx + 3 * side, 17, 2.2) or \
           near_segment(x, y, bx, 37, bx + 3 * side, 37, 2.2):
            return ink
    for cx in (20.5, 27.5):
        for cy in (22.5, 31.5):
            if (x - cx) ** 2 + (y - cy) ** 2 <= 3.2 ** 2:
                return blue
    return page


def plot(x, y):
    # A white plot area with two axes and a red sine over a light grid.
    frame, paper, axis, red, grid = (60, 60, 70, 255), (255, 255, 255, 255), (20, 20, 20, 255), (210, 30, 30, 255), (200, 205, 215, 255)
    if not rounded(x, y, 3, 5, 45, 43, 3):
        return None
    if not rounded(x, y, 4.5, 6.5, 43.5, 41.5, 2):
        return frame
    if near_segment(x, y, 10, 10, 10, 37, 1.6) or near_segment(x, y, 8, 24, 40, 24, 1.6):
        return axis
    t = (x - 10) / 30.0
    if 0 <= t <= 1 and abs(y - (24 - 11 * math.sin(2 * math.pi * t))) <= 1.7:
        return red
    if (int(x) % 8 == 2 or int(y) % 8 == 0) and 6 < x < 42 and 8 < y < 40:
        return grid
    return paper


def console(x, y):
    # A dark window with a title strip and a green prompt.
    title, body, green = (70, 110, 190, 255), (25, 28, 34, 255), (70, 220, 90, 255)
    if not rounded(x, y, 3, 6, 45, 42, 3):
        return None
    if y < 13:
        return title
    if near_segment(x, y, 11, 20, 19, 26, 2.6) or near_segment(x, y, 19, 26, 11, 32, 2.6):
        return green
    if 23 <= x <= 34 and 31 <= y <= 33.5:
        return green
    return body


if __name__ == "__main__":
    for path, shade in (("ide/res/ICON128.png", ide), ("plot_device/res/ICON128.png", plot),
                        ("console_device/res/ICON128.png", console)):
        png(path, render(shade))
        print("wrote", path, os.path.getsize(path), "bytes")
