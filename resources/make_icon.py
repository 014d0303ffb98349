#!/usr/bin/env python3
"""Writes wellenblick.ico: one 32x32 image, 24 bits per pixel.

A blue tile with three white waves of falling height, opaque throughout.
Run: python3 make_icon.py wellenblick.ico
"""
import math
import struct
import sys

SIZE = 32


def pixel(x, y):
    # Rounded tile on the button-face grey.
    r = 5
    cx = min(max(x, r), SIZE - 1 - r)
    cy = min(max(y, r), SIZE - 1 - r)
    if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
        return (0xF0, 0xF0, 0xF0)
    # Vertical gradient from deep to light blue.
    t = y / (SIZE - 1)
    base = (int(20 + 40 * t), int(70 + 80 * t), int(160 + 70 * t))
    for row, amp in ((9, 4.0), (17, 3.0), (25, 2.0)):
        wave = row + amp * math.sin((x - 2) * 2 * math.pi / 14)
        d = abs(y - wave)
        if d < 1.6:
            a = 1.0 if d < 0.8 else (1.6 - d) / 0.8
            return tuple(int(c + (255 - c) * a) for c in base)
    return base


def main(path):
    xor = bytearray()
    for y in range(SIZE - 1, -1, -1):  # bottom-up rows
        for x in range(SIZE):
            r, g, b = pixel(x, y)
            xor += bytes((b, g, r))
    and_mask = bytes(4 * SIZE)  # every pixel opaque
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 24, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + bytes(xor) + and_mask
    icondir = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 24, len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(icondir + entry + image)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'wellenblick.ico')
