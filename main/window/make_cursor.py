#!/usr/bin/env python3
"""Writes the basket's move cursor (a four-way cross, hot spot in the middle)
and the resource script of Halvorn.exe, which also takes in the UI
components' cursors: make_cursor.py <out folder>."""
import os
import struct
import sys

SIZE = 32


def shape():
    """'#' black, 'o' white outline, ' ' transparent."""
    rows = [[" "] * SIZE for _ in range(SIZE)]
    mid = SIZE // 2
    for i in range(4, SIZE - 4):
        for d in (-1, 0, 1):
            rows[mid + d][i] = "#"
            rows[i][mid + d] = "#"
    for k in range(4):  # arrow heads
        for d in range(-k, k + 1):
            rows[mid + d][4 + k - 1] = "#"
            rows[mid + d][SIZE - 4 - k] = "#"
            rows[4 + k - 1][mid + d] = "#"
            rows[SIZE - 4 - k][mid + d] = "#"
    out = [r[:] for r in rows]
    for y in range(SIZE):
        for x in range(SIZE):
            if rows[y][x] != " ":
                continue
            near = any(0 <= y + dy < SIZE and 0 <= x + dx < SIZE and rows[y + dy][x + dx] == "#"
                       for dy in (-1, 0, 1) for dx in (-1, 0, 1))
            if near:
                out[y][x] = "o"
    return out


def bits(rows, test):
    data = bytearray()
    for row in reversed(rows):  # bottom-up
        for byte in range(SIZE // 8):
            v = 0
            for b in range(8):
                if test(row[byte * 8 + b]):
                    v |= 0x80 >> b
            data.append(v)
    return bytes(data)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rows = shape()
    xor = bits(rows, lambda c: c == "o")
    mask = bits(rows, lambda c: c == " ")
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, len(xor) + len(mask),
                       0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = info + palette + xor + mask
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, SIZE // 2, SIZE // 2, len(image), 22)
    with open(os.path.join(out, "MoveCursor.cur"), "wb") as f:
        f.write(header + entry + image)
    with open(os.path.join(out, "Halvorn.rc"), "w") as f:
        # One resource script for the program: the components' cursors join
        # it, so that the cursor images are numbered once.
        f.write('#include "Cursors.rc"\n')
        f.write('CURSORMOVECURSOR CURSOR "MoveCursor.cur"\n')


if __name__ == "__main__":
    main()
