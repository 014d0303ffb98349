#!/usr/bin/env python3
"""Writes wellenblick.ico: the icon at the sizes Windows asks for at 100 %
to 200 % display scale (small icons 16 to 32, large ones 32 to 64), each
24 bits per pixel.

A blue tile with three white waves of falling height, opaque throughout,
drawn on a 32-pixel grid. The 32 x 32 image is that grid as it stands; the
others are drawn from it at their own size (each pixel the mean of 4 x 4
points of the grid), so that no size is left to the system's shrinking.
Run: python3 make_icon.py wellenblick.ico
"""
import math
import struct
import sys

GRID = 32
SIZES = (16, 20, 24, 32, 40, 48, 64)
SAMPLES = 4


def pixel(x, y):
    # Rounded tile on the button-face grey.
    r = 5
    cx = min(max(x, r), GRID - 1 - r)
    cy = min(max(y, r), GRID - 1 - r)
    if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
        return (0xF0, 0xF0, 0xF0)
    # Vertical gradient from deep to light blue.
    t = y / (GRID - 1)
    base = (int(20 + 40 * t), int(70 + 80 * t), int(160 + 70 * t))
    for row, amp in ((9, 4.0), (17, 3.0), (25, 2.0)):
        wave = row + amp * math.sin((x - 2) * 2 * math.pi / 14)
        d = abs(y - wave)
        if d < 1.6:
            a = 1.0 if d < 0.8 else (1.6 - d) / 0.8
            return tuple(int(c + (255 - c) * a) for c in base)
    return base


def scaled_pixel(size, x, y):
    if size == GRID:
        return pixel(x, y)
    total = [0, 0, 0]
    for i in range(SAMPLES):
        for j in range(SAMPLES):
            # The grid's pixel centres lie on whole numbers.
            gx = (x + (i + 0.5) / SAMPLES) * GRID / size - 0.5
            gy = (y + (j + 0.5) / SAMPLES) * GRID / size - 0.5
            for k, c in enumerate(pixel(gx, gy)):
                total[k] += c
    return tuple(round(c / SAMPLES ** 2) for c in total)


def image(size):
    xor = bytearray()
    for y in range(size - 1, -1, -1):  # bottom-up rows
        for x in range(size):
            r, g, b = scaled_pixel(size, x, y)
            xor += bytes((b, g, r))
        xor += bytes(-len(xor) % 4)  # rows end on 4-byte bounds
    mask_row = (size + 31) // 32 * 4
    and_mask = bytes(mask_row * size)  # every pixel opaque
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 24, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + bytes(xor) + and_mask


def main(path):
    images = [image(size) for size in SIZES]
    directory = struct.pack('<HHH', 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    for size, data in zip(SIZES, images):
        directory += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 24, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(directory + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'wellenblick.ico')
