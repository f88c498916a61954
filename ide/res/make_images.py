#!/usr/bin/env python3
"""Draws the IDE's toolbar strips and About picture (our own simple art).

Run from the repository root: python3 ide/res/make_images.py
Writes ide/res/{128,130,301,302,304,305,306}.png. Magenta is the mask colour
and stands in the bottom-left pixel of every strip.
"""
import math
import struct
import zlib

KEY = (255, 0, 255)


def png(path, w, h, px):
    raw = b"".join(b"\0" + bytes(c for x in range(w) for c in px[y][x]) for y in range(h))
    def chunk(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


class Icon:
    def __init__(self):
        self.p = [[KEY] * 24 for _ in range(24)]

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(24, y1 + 1)):
            for x in range(max(0, x0), min(24, x1 + 1)):
                self.p[y][x] = c

    def frame(self, x0, y0, x1, y1, c):
        self.rect(x0, y0, x1, y0, c); self.rect(x0, y1, x1, y1, c)
        self.rect(x0, y0, x0, y1, c); self.rect(x1, y0, x1, y1, c)

    def line(self, x0, y0, x1, y1, c, w=2):
        n = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(n + 1):
            x = x0 + (x1 - x0) * i / n; y = y0 + (y1 - y0) * i / n
            self.rect(int(x), int(y), int(x) + w - 1, int(y) + w - 1, c)

    def disc(self, cx, cy, r, c, ring=None):
        for y in range(24):
            for x in range(24):
                d = math.hypot(x - cx, y - cy)
                if d <= r:
                    self.p[y][x] = c
                if ring is not None and r - 1.5 <= d <= r:
                    self.p[y][x] = ring

    def tri(self, pts, c):
        (ax, ay), (bx, by), (cx, cy) = pts
        for y in range(24):
            for x in range(24):
                d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by)
                d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy)
                d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay)
                neg = d1 < 0 or d2 < 0 or d3 < 0
                pos = d1 > 0 or d2 > 0 or d3 > 0
                if not (neg and pos):
                    self.p[y][x] = c

    def text_bar(self, x0, y0, x1, rows, c):
        for i in range(rows):
            self.rect(x0, y0 + 3 * i, x1 - (i % 2) * 3, y0 + 3 * i, c)


INK, PAPER, BLUE, GREEN, RED, YEL, GREY = (40, 40, 40), (250, 250, 250), (40, 90, 200), (30, 150, 60), (200, 40, 40), (230, 190, 50), (120, 120, 120)


def page(i, x=5, y=2):
    i.rect(x, y, x + 13, y + 19, PAPER); i.frame(x, y, x + 13, y + 19, INK)


def main_icons():
    out = []
    i = Icon(); page(i); i.text_bar(8, 7, 16, 4, GREY); i.disc(17, 17, 4, YEL, INK); out.append(i)      # new
    i = Icon(); i.rect(2, 7, 21, 20, YEL); i.frame(2, 7, 21, 20, INK); i.rect(3, 4, 10, 7, YEL); i.frame(2, 4, 10, 7, INK); out.append(i)  # open
    i = Icon(); i.rect(3, 3, 20, 20, BLUE); i.rect(6, 3, 17, 10, PAPER); i.rect(7, 14, 16, 20, GREY); out.append(i)  # save
    i = Icon(); i.line(6, 3, 15, 15, INK); i.line(17, 3, 8, 15, INK); i.disc(7, 18, 3, RED, INK); i.disc(16, 18, 3, RED, INK); out.append(i)  # cut
    i = Icon(); page(i, 3, 2); i.text_bar(6, 6, 13, 3, GREY); page(i, 8, 5); i.text_bar(11, 9, 19, 4, GREY); out.append(i)  # copy
    i = Icon(); i.rect(4, 4, 17, 21, (160, 110, 60)); i.rect(8, 2, 13, 5, GREY); page(i, 10, 9); out.append(i)  # paste
    i = Icon(); i.tri([(3, 10), (10, 4), (10, 16)], BLUE); i.line(10, 9, 18, 9, BLUE, 3); i.line(18, 9, 18, 19, BLUE, 3); out.append(i)  # undo
    i = Icon(); i.tri([(20, 10), (13, 4), (13, 16)], BLUE); i.line(5, 9, 13, 9, BLUE, 3); i.line(5, 9, 5, 19, BLUE, 3); out.append(i)  # redo
    i = Icon(); i.disc(10, 10, 7, (200, 230, 250), INK); i.line(14, 14, 20, 20, INK, 3); out.append(i)  # find
    i = Icon(); i.rect(6, 2, 17, 10, PAPER); i.frame(6, 2, 17, 10, INK); i.rect(2, 10, 21, 18, GREY); i.frame(2, 10, 21, 18, INK); i.rect(6, 16, 17, 21, PAPER); i.frame(6, 16, 17, 21, INK); out.append(i)  # print
    i = Icon(); i.rect(2, 3, 21, 20, PAPER); i.frame(2, 3, 21, 20, INK); i.rect(3, 13, 20, 19, (220, 230, 250)); i.rect(3, 12, 20, 12, INK); i.text_bar(5, 15, 17, 2, RED); out.append(i)  # output bar
    i = Icon(); i.disc(11.5, 11.5, 9, BLUE, INK); i.rect(10, 15, 13, 17, PAPER); i.line(8, 7, 11, 5, PAPER); i.line(11, 5, 15, 7, PAPER); i.line(15, 7, 12, 12, PAPER); out.append(i)  # help
    return out


def calc_icons():
    out = []
    i = Icon(); i.tri([(6, 3), (6, 20), (20, 11)], GREEN); out.append(i)                      # calculate
    i = Icon(); i.rect(6, 4, 9, 19, BLUE); i.rect(14, 4, 17, 19, BLUE); out.append(i)           # pause
    i = Icon(); i.rect(5, 5, 18, 18, RED); out.append(i)                                          # stop
    i = Icon(); i.tri([(4, 3), (4, 20), (16, 11)], GREEN); i.disc(18, 17, 4, RED, INK); out.append(i)  # start debug
    i = Icon(); i.line(4, 14, 10, 5, BLUE); i.line(10, 5, 17, 12, BLUE); i.tri([(14, 14), (20, 9), (20, 16)], BLUE); i.rect(3, 18, 20, 20, INK); out.append(i)  # step
    i = Icon(); i.line(11, 2, 11, 14, BLUE, 3); i.tri([(6, 13), (17, 13), (11.5, 19)], BLUE); i.rect(3, 20, 20, 21, INK); out.append(i)  # step into
    i = Icon(); i.line(3, 11, 14, 11, BLUE, 3); i.tri([(13, 6), (13, 17), (19, 11.5)], BLUE); i.rect(20, 3, 21, 20, INK); out.append(i)  # run to cursor
    i = Icon(); i.rect(6, 4, 9, 19, RED); i.rect(14, 4, 17, 19, RED); out.append(i)           # break
    i = Icon(); i.rect(4, 4, 16, 16, RED); i.disc(17, 17, 4, YEL, INK); out.append(i)         # stop debug
    i = Icon(); i.rect(2, 3, 21, 20, PAPER); i.frame(2, 3, 21, 20, INK); i.line(5, 6, 10, 12, INK); i.line(10, 6, 5, 12, INK); i.rect(13, 8, 18, 8, INK); i.rect(13, 11, 18, 11, INK); i.text_bar(5, 15, 18, 2, GREY); out.append(i)  # variables
    i = Icon(); i.line(9, 19, 11, 6, INK); i.line(11, 6, 16, 4, INK); i.rect(7, 10, 15, 11, INK); i.line(14, 13, 20, 19, BLUE); i.line(20, 13, 14, 19, BLUE); out.append(i)  # functions
    i = Icon(); i.disc(11.5, 11.5, 9, PAPER, INK); i.disc(11.5, 11.5, 4, BLUE); i.disc(11.5, 11.5, 1.5, INK); out.append(i)  # watcher
    return out


def strip(icons, disabled):
    rows = [[] for _ in range(24)]
    for ic in icons:
        for y in range(24):
            for x in range(24):
                c = ic.p[y][x]
                if disabled and c != KEY:
                    g = (c[0] * 3 + c[1] * 6 + c[2]) // 10
                    c = (128 + g // 3,) * 3
                rows[y].append(c)
    return len(icons) * 24, rows


def about():
    w = h = 96
    px = [[(0, 0, 0)] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            t = (x + y) / (w + h)
            px[y][x] = (int(30 + 40 * t), int(60 + 90 * t), int(150 + 90 * t))
    def dot(x, y, c):
        if 0 <= x < w and 0 <= y < h:
            px[y][x] = c
    for k in range(600):
        s = k / 600
        for off in range(-5, 6):
            dot(int(18 + 30 * s) + off, int(16 + 62 * s), (250, 250, 250))
            dot(int(78 - 30 * s) + off, int(16 + 62 * s), (250, 220, 90))
    return w, h, px


if __name__ == "__main__":
    import os
    d = os.path.dirname(os.path.abspath(__file__))
    for name, icons, dis in (("301", main_icons(), False), ("306", main_icons(), True),
                             ("302", calc_icons(), False), ("305", calc_icons(), True),
                             ("128", main_icons(), False), ("130", calc_icons(), False)):
        w, rows = strip(icons, dis)
        png(os.path.join(d, name + ".png"), w, 24, rows)
    w, h, px = about()
    png(os.path.join(d, "304.png"), w, h, px)
