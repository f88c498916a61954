#!/usr/bin/env python3
"""Draws the console's toolbar strip (our own pixel art).

Run from the repository root: python3 console_device/res/make_images.py
Writes console_device/res/128.png: eight 16x15 images (New, Open, Save,
Print, Cut, Copy, Paste, About) side by side, in the order of the toolbar's
buttons. Magenta is the mask colour, as in the IDE's strips: the toolbar
shows the button face there.
"""
import os
import struct
import zlib

W, H = 16, 15

KEY = (255, 0, 255)

PALETTE = {
    ".": KEY,
    "k": (0, 0, 0),
    "w": (255, 255, 255),
    "g": (192, 192, 192),
    "d": (128, 128, 128),
    "y": (240, 200, 40),
    "o": (168, 124, 0),
    "b": (0, 0, 128),
    "B": (40, 90, 200),
    "r": (200, 0, 0),
    "n": (150, 96, 40),
    "G": (0, 150, 0),
    "s": (230, 230, 230),
}

NEW = [
    "................",
    "..kkkkkkk.......",
    "..kwwwwwkk......",
    "..kwwwwwkwk.....",
    "..kwwwwwkkkk....",
    "..kwwwwwwwwk....",
    "..kwwwwwwwwk..y.",
    "..kwwwwwwwwk.yyy",
    "..kwwwwwwwwk..y.",
    "..kwwwwwwwwk....",
    "..kwwwwwwwwk....",
    "..kwwwwwwwwk....",
    "..kwwwwwwwwk....",
    "..kkkkkkkkkk....",
    "................",
]

OPEN = [
    "................",
    "................",
    "..kkkk..........",
    ".kyyyyk.........",
    ".kyyyykkkkkkk...",
    ".kyyyyyyyyyyk...",
    ".kyyyyyyyyyyk...",
    ".kyyyykkkkkkkkkk",
    ".kyyykoooooooook",
    ".kyykoooooooook.",
    ".kykoooooooook..",
    ".kkoooooooook...",
    ".kkkkkkkkkkk....",
    "................",
    "................",
]

SAVE = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kbkwwwwwwwwkbk.",
    ".kbkwwwwwwwwkbk.",
    ".kbkwwwwwwwwkbk.",
    ".kbkwwwwwwwwkbk.",
    ".kbbkkkkkkkkbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbbkkkkkkkkbbk.",
    ".kbbkgggkddkbbk.",
    ".kbbkgggkddkbbk.",
    ".kbbkgggkddkbbk.",
    "..kbkgggkddkbbk.",
    "...kkkkkkkkkkkk.",
    "................",
]

PRINT = [
    "....kkkkkkkkk...",
    "....kwwwwwwwk...",
    "....kwkkkkkwk...",
    "....kwwwwwwwk...",
    "....kwkkkkwwk...",
    "..kkkkkkkkkkkkk.",
    ".kgggggggggggggk",
    ".kggggggggggGGgk",
    ".kgggggggggggggk",
    ".kdddddddddddddk",
    ".kkkkwwwwwwwkkkk",
    "....kwkkkkkwk...",
    "....kwwwwwwwk...",
    "....kkkkkkkkk...",
    "................",
]

CUT = [
    "...k.......k....",
    "...kk.....kk....",
    "....k.....k.....",
    "....kk...kk.....",
    ".....k...k......",
    ".....kk.kk......",
    "......kkk.......",
    "......kkk.......",
    ".....rr.rr......",
    "...rrrr.rrrr....",
    "..rr..r.r..rr...",
    "..r...r.r...r...",
    "..rr..r.r..rr...",
    "...rrrr.rrrr....",
    "................",
]

COPY = [
    "kkkkkkk.........",
    "kwwwwwkk........",
    "kwkkkwkwk.......",
    "kwwwwwkkkk......",
    "kwkkkkkkkkkkk...",
    "kwwwwkwwwwwkkk..",
    "kwkkkkwkkkwkwkk.",
    "kwwwwkwwwwwkkkkk",
    "kwkkkkwkkkkkkwwk",
    "kwwwwkwwwwwwwwwk",
    "kkkkkkwkkkkkkkwk",
    ".....kwwwwwwwwwk",
    ".....kwkkkkkkkwk",
    ".....kwwwwwwwwwk",
    ".....kkkkkkkkkkk",
]

PASTE = [
    ".....kkkk.......",
    "..kkkkggkkkk....",
    ".knnkgkkgknnk...",
    ".knkggggggknk...",
    ".knnkkkkkknnk...",
    ".knnnnnnnnnnk...",
    ".knnnnkkkkkkkkk.",
    ".knnnnkwwwwwwwkk",
    ".knnnnkwkkkkwkwk",
    ".knnnnkwwwwwwwwk",
    ".knnnnkwkkkkkkwk",
    ".knnnnkwwwwwwwwk",
    ".knnnnkwkkkkkkwk",
    "..kkkkkwwwwwwwwk",
    "......kkkkkkkkkk",
]

ABOUT = [
    ".....kkkkk......",
    "...kkBBBBBkk....",
    "..kBBBwwwBBBk...",
    ".kBBBwwBwwBBBk..",
    ".kBBBwwBwwBBBk..",
    "kBBBBBBBwwBBBBk.",
    "kBBBBBBwwBBBBBk.",
    "kBBBBBwwBBBBBBk.",
    "kBBBBBwwBBBBBBk.",
    ".kBBBBBBBBBBBk..",
    ".kBBBBwwBBBBBk..",
    "..kBBBwwBBBBk...",
    "...kkBBBBBkk....",
    ".....kkkkk......",
    "................",
]

ICONS = [NEW, OPEN, SAVE, PRINT, CUT, COPY, PASTE, ABOUT]


def pixels(icon):
    rows = list(icon)
    assert len(rows) == H and all(len(row) == W for row in rows), rows
    out = []
    for row in rows:
        line = []
        for ch in row:
            line.append(PALETTE[ch] + (255,))
        out.append(line)
    return out


def png(path, w, h, px):
    raw = b"".join(b"\0" + bytes(c for x in range(w) for c in px[y][x]) for y in range(h))

    def chunk(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)

    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    strip = [[] for _ in range(H)]
    for icon in ICONS:
        for y, line in enumerate(pixels(icon)):
            strip[y].extend(line)
    png(os.path.join(os.path.dirname(os.path.abspath(__file__)), "128.png"), W * len(ICONS), H, strip)
