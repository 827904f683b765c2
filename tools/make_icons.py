#!/usr/bin/env python3
"""Draws the program's three icons (no keyboard, keyboard present, activity)
as .ico files with 16, 32 and 48 pixel images: a small keyboard in grey, lit
in cyan, or lit with the keys in amber."""
import os
import struct
import sys

STYLES = {
    "no_keyboard.ico": {"body": (70, 72, 78), "edge": (120, 124, 130), "key": (150, 152, 158)},
    "keyboard.ico": {"body": (24, 28, 36), "edge": (0, 200, 255), "key": (90, 220, 255)},
    "activity.ico": {"body": (24, 28, 36), "edge": (255, 170, 0), "key": (255, 214, 90)},
}


def draw(size, style):
    """Returns rows (top first) of (r, g, b, a) pixels."""
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    s = size / 16.0
    x0, y0, x1, y1 = 0.5 * s, 3.5 * s, 15.5 * s, 12.5 * s
    radius = 1.6 * s

    def inside_round(x, y, ax0, ay0, ax1, ay1, r):
        if x < ax0 or x > ax1 or y < ay0 or y > ay1:
            return False
        cx = min(max(x, ax0 + r), ax1 - r)
        cy = min(max(y, ay0 + r), ay1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    edge = max(1.0, 0.9 * s)
    for y in range(size):
        for x in range(size):
            fx, fy = x + 0.5, y + 0.5
            if inside_round(fx, fy, x0, y0, x1, y1, radius):
                inner = inside_round(fx, fy, x0 + edge, y0 + edge, x1 - edge, y1 - edge,
                                     max(0.1, radius - edge))
                px[y][x] = (*(style["body"] if inner else style["edge"]), 255)
    # Three rows of keys and a space bar.
    rows = [(5.0, 7.0, 5), (7.6, 9.4, 5), (10.0, 11.4, 1)]
    for top, bottom, count in rows:
        left, right = 2.2, 13.8
        if count == 1:
            left, right = 4.5, 11.5
        width = (right - left) / count
        for k in range(count):
            kx0 = left + k * width + 0.25
            kx1 = left + (k + 1) * width - 0.25
            for y in range(size):
                for x in range(size):
                    fx, fy = (x + 0.5) / s, (y + 0.5) / s
                    if kx0 <= fx <= kx1 and top <= fy <= bottom:
                        px[y][x] = (*style["key"], 255)
    return px


def image_bytes(size, style):
    rows = draw(size, style)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def write_icon(path, style):
    sizes = [16, 32, 48]
    images = [image_bytes(n, style) for n in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(sizes)))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, style in STYLES.items():
        write_icon(os.path.join(folder, name), style)


if __name__ == "__main__":
    main()
