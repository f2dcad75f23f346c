#!/usr/bin/env python3
# make-icon.py: draws kitforge.ico, the program icon of Kitforge.exe and of the two
# stubs: the box of the builder's pictures (blue lid, dark blue body, gold strap) at
# 16 x 16 and 32 x 32 in 16 colours. Four bits a pixel keep it near 1 KB, which every
# setup executable carries. Committed; run this again only to change it.
import os
import struct

PALETTE = [(0, 0, 0), (0x1C, 0x3F, 0x8C), (0x3A, 0x6F, 0xD8), (0xF2, 0xB6, 0x32), (0x0E, 0x23, 0x50)]
CLEAR, BODY, LID, STRAP, EDGE = range(5)


def draw(size):
    """Rows of palette indexes, top row first."""
    s = size / 32.0
    grid = [[CLEAR] * size for _ in range(size)]
    lid_top, lid_bottom = round(5 * s), round(13 * s) - 1
    body_bottom = round(30 * s) - 1
    left, right = round(5 * s), round(27 * s) - 1
    strap_left, strap_right = round(14 * s), round(18 * s) - 1
    for y in range(lid_top, lid_bottom + 1):
        # The lid widens from the top down, past the body on both sides.
        t = (y - lid_top) / max(1, lid_bottom - lid_top)
        inset = round((1 - t) * 4 * s) - round(2 * s)
        for x in range(left + inset, right - inset + 1):
            grid[y][x] = LID
    for y in range(lid_bottom + 1, body_bottom + 1):
        for x in range(left, right + 1):
            edge = x in (left, right) or y == body_bottom
            grid[y][x] = EDGE if edge else (STRAP if strap_left <= x <= strap_right else BODY)
    return grid


def icon_image(size):
    grid = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    palette += b"\0" * (64 - len(palette))
    xor = b""
    mask = b""
    row_bytes = ((size + 31) // 32) * 4
    for row in reversed(grid):  # bottom-up, as in every DIB
        packed = bytes((row[x] << 4) | row[x + 1] for x in range(0, size, 2))
        xor += packed + b"\0" * (-len(packed) % 4)
        bits = 0
        for x in range(size):
            bits = (bits << 1) | (row[x] == CLEAR)
        line = bits.to_bytes(size // 8, "big")
        mask += line + b"\0" * (row_bytes - len(line))
    return header + palette + xor + mask


def main():
    images = [icon_image(16), icon_image(32)]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((16, 32), images):
        data += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    data += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "kitforge.ico")
    with open(path, "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
