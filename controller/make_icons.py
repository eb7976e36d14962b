#!/usr/bin/env python3
"""Writes the controller's tray icons and the resource script that holds
them: make_icons.py <out folder>. Each icon is 32 x 32 with two colours of
its own (a disc on a field); the animation frames move the disc round."""
import hashlib
import math
import os
import struct
import sys

NAMES = ["IMAGE%d" % n for n in (1, 2, 3, 4, 5, 20, 21, 22, 23, 24)]
NAMES += ["IMGANIM%d_%d" % (a, f) for a in (1, 2) for f in range(1, 9)]


def colours(name):
    d = hashlib.sha1(name.encode()).digest()
    field = (d[0], d[1], d[2])
    disc = tuple(255 - c for c in field)
    if sum(abs(a - b) for a, b in zip(field, disc)) < 120:
        disc = (0, 0, 0) if sum(field) > 384 else (255, 255, 255)
    return field, disc


def icon(name):
    size = 32
    field, disc = colours(name)
    frame = int(name.split("_")[1]) - 1 if "_" in name else -1
    cx, cy = 16.0, 16.0
    if frame >= 0:
        angle = frame * math.pi / 4
        cx, cy = 16 + 8 * math.cos(angle), 16 + 8 * math.sin(angle)
    xor = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b = disc if (x - cx) ** 2 + (y - cy) ** 2 < 36 else field
            xor += bytes((b, g, r, 255))
    and_mask = bytes(4 * size)  # 32 bits a row, all opaque
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + bytes(xor) + and_mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32,
                                                      len(image), 22) + image


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    lines = []
    for name in NAMES:
        path = os.path.join(out, name + ".ico")
        with open(path, "wb") as f:
            f.write(icon(name))
        lines.append('%s ICON "%s"' % (name, path.replace("\\", "/")))
    with open(os.path.join(out, "icons.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
