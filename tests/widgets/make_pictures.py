"""Writes the test buttons' bitmaps (solid colours) and a resource script."""
import os
import struct
import sys

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def bmp(path, w, h, rgb):
    row = bytes([rgb[2], rgb[1], rgb[0]]) * w
    row += b"\0" * ((4 - len(row) % 4) % 4)
    pixels = row * h
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


pictures = {
    "HALVORN_BMP_UP1_BMP": (255, 0, 0),
    "HALVORN_BMP_UP1HI_BMP": (0, 255, 0),
    "HALVORN_BMP_UP2_BMP": (0, 0, 255),
    "HALVORN_BMP_UP2HI_BMP": (255, 255, 0),
    "HALVORN_BMP_UP3_BMP": (128, 128, 128),
    "HALVORN_BMP_DOWN1_BMP": (255, 0, 255),
    "HALVORN_BMP_DOWN2_BMP": (0, 255, 255),
}
lines = []
for name, rgb in pictures.items():
    path = os.path.join(out, name + ".bmp")
    bmp(path, 26, 22, rgb)
    lines.append('%s BITMAP "%s"' % (name, path.replace("\\", "/")))
with open(os.path.join(out, "pictures.rc"), "w") as f:
    f.write("\n".join(lines) + "\n")
