#!/usr/bin/env python3
"""Draws the program's icon: a globe with a download arrow, 32x32 and 16x16, 16 colours.

Writes src/ui/app.ico. Deterministic, so the checked-in icon can be rebuilt at will:
    python3 tools/make_icon.py
"""
import math
import os
import struct

# The standard 16-colour palette (B, G, R, 0).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
NAVY, TEAL, GREY, BLUE, GREEN, YELLOW, WHITE = 4, 6, 8, 12, 10, 11, 15


def draw(size):
    """Returns rows top to bottom of palette indexes, None for transparent."""
    s = size / 32.0
    cx = cy = 13.5 * s
    r = 12.5 * s
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            d = math.hypot(px - cx, py - cy)
            colour = None
            if d <= r:
                colour = BLUE
                # Meridian and parallels of the globe.
                if abs(px - cx) < 0.75 * s or abs(py - cy) < 0.75 * s:
                    colour = WHITE
                elif abs(math.hypot((px - cx) * 2.2, py - cy) - r) < 1.2 * s:
                    colour = TEAL
                if d > r - 1.2 * s:
                    colour = NAVY
            # Download arrow in the lower right corner.
            ax, ay = px - 23 * s, py - 22 * s
            in_shaft = abs(ax) <= 2.5 * s and -9 * s <= ay <= 1 * s
            in_head = 0 <= ay - 1 * s <= 7 * s and abs(ax) <= (7 * s - (ay - 1 * s))
            if in_shaft or in_head:
                colour = GREEN
                edge_shaft = in_shaft and abs(ax) > 1.4 * s and not in_head
                edge_head = in_head and abs(ax) > (7 * s - (ay - 1 * s)) - 1.2 * s
                if edge_shaft or edge_head:
                    colour = 2  # dark green outline
            row.append(colour)
        rows.append(row)
    return rows


def image(size):
    rows = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor, mask = b'', b''
    for row in reversed(rows):  # bitmaps are stored bottom-up
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, c in enumerate(row):
            idx = 0 if c is None else c
            line[x // 2] |= idx << (4 if x % 2 == 0 else 0)
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(line)
        mask += bytes(bits)
    return header + palette + xor + mask


def main():
    images = [image(32), image(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    path = os.path.join(os.path.dirname(__file__), '..', 'src', 'ui', 'app.ico')
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
