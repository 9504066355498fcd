#!/usr/bin/env python3
"""Draws resources/quorvane.ico: one 32 x 32 icon, 8 bits per pixel.

The picture: a memory module (the RAM disk) held inside a shield (kept safe)
with a check mark on it."""
import os
import struct

SIZE = 32
PALETTE = [
    (0, 0, 0),        # 0 transparent (masked)
    (20, 60, 140),    # 1 shield, dark blue
    (60, 120, 210),   # 2 shield, light blue
    (30, 130, 60),    # 3 memory board, green
    (220, 190, 60),   # 4 contacts, gold
    (40, 40, 40),     # 5 chips, black
    (255, 255, 255),  # 6 check mark, white
]


def inside_shield(x, y):
    # A shield: straight sides down to row 18, then narrowing to a point at row 30.
    if y < 2 or y > 30:
        return False
    if y <= 18:
        return 3 <= x <= 28
    half = 13 * (30 - y) / 12
    return abs(x - 15.5) <= half


def pixel(x, y):
    if not inside_shield(x, y):
        return 0
    colour = 2 if (x + y) % 7 else 1
    if not inside_shield(x - 1, y) or not inside_shield(x + 1, y) or not inside_shield(x, y - 1) \
            or not inside_shield(x, y + 1):
        return 1
    # The memory module across the shield.
    if 8 <= y <= 16 and 6 <= x <= 25:
        if y >= 15 and x % 2 == 0:
            return 4
        if 9 <= y <= 12 and (x - 7) % 5 in (0, 1, 2):
            return 5
        return 3
    # The check mark below it.
    if 19 <= y <= 26:
        if abs((x - 12) - (y - 22)) <= 1 and 10 <= x <= 15:
            return 6
        if abs((x - 15) + (y - 25)) <= 1 and 14 <= x <= 22:
            return 6
    return colour


def main():
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    xor = b''.join(bytes(rows[y]) for y in reversed(range(SIZE)))
    mask = b''
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            if rows[y][x] == 0:
                bits |= 1 << (31 - x)
        mask += struct.pack('>I', bits)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    palette += b'\0' * (256 * 4 - len(palette))
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 8, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + palette + xor + mask
    icon_dir = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, '..', 'resources', 'quorvane.ico'), 'wb') as f:
        f.write(icon_dir + entry + image)


main()
