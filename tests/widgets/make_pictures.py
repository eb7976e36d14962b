"""Writes the test buttons' bitmaps (solid colours) and a resource script."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import pictures as pictures_lib  # noqa: E402

out = sys.argv[1]
os.makedirs(out, exist_ok=True)

pictures = {
    "HALVORN_BMP_UP1_BMP": (255, 0, 0),
    "HALVORN_BMP_UP1HI_BMP": (0, 255, 0),
    "HALVORN_BMP_UP2_BMP": (0, 0, 255),
    "HALVORN_BMP_UP2HI_BMP": (255, 255, 0),
    "HALVORN_BMP_UP3_BMP": (128, 128, 128),
    "HALVORN_BMP_DOWN1_BMP": (255, 0, 255),
    "HALVORN_BMP_DOWN2_BMP": (0, 255, 255),
}
entries = []
for name, rgb in pictures.items():
    path = os.path.join(out, name + ".bmp")
    pictures_lib.write_file(path, pictures_lib.solid_bmp(26, 22, rgb))
    entries.append((name, "BITMAP", path))
pictures_lib.write_rc(os.path.join(out, "pictures.rc"), entries)
