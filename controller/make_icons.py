#!/usr/bin/env python3
"""Writes the controller's tray icons and the resource script that holds
them: make_icons.py <out folder>. Each icon is 32 x 32 with two colours of
its own (a disc on a field); the animation frames move the disc round."""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
import pictures as pictures_lib  # noqa: E402

NAMES = ["IMAGE%d" % n for n in (1, 2, 3, 4, 5, 20, 21, 22, 23, 24)]
NAMES += ["IMGANIM%d_%d" % (a, f) for a in (1, 2) for f in range(1, 9)]


def icon(name):
    field, disc = pictures_lib.name_colours(name)
    frame = int(name.split("_")[1]) - 1 if "_" in name else -1
    cx, cy = 16.0, 16.0
    if frame >= 0:
        angle = frame * math.pi / 4
        cx, cy = 16 + 8 * math.cos(angle), 16 + 8 * math.sin(angle)
    return pictures_lib.ico(32, lambda x, y: disc if (x - cx) ** 2 + (y - cy) ** 2 < 36 else field)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    entries = []
    for name in NAMES:
        path = os.path.join(out, name + ".ico")
        pictures_lib.write_file(path, icon(name))
        entries.append((name, "ICON", path))
    pictures_lib.write_rc(os.path.join(out, "icons.rc"), entries)


if __name__ == "__main__":
    main()
