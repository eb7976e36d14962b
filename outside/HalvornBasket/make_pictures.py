#!/usr/bin/env python3
"""Writes the pictures of the bitmap libraries and the resource script that
holds them: make_pictures.py <out folder> <bits per pixel: 24 or 4>.
Every picture gets two colours of its own, taken from its name, so that a
screenshot tells any two pictures apart: a border of one colour around a
field of the other, with a diagonal stroke in the border colour."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import pictures as pictures_lib  # noqa: E402

BUTTONS = ["VIEW", "DEVICE", "OPTIONS", "WEB", "HELP", "RECBUT", "PLAYBUT", "STOPBUT",
           "REMARKBUT", "TRASH", "CLOCK", "REJECT", "CUSTOM", "CUSTDOWN", "CUSTUP", "CLOSE",
           "LEFT", "RIGHT"]
TRAY = ["CLOSE", "MAX", "PLAY", "REC", "STOP", "ABOUT", "HELP", "TEZBASKET", "SCHEDON",
        "SCHEDOFF", "BASKETPASTE"]
ITEMS = ["ITEMRECICON", "ITEMPLAYICON", "ITEMPLAYEDICON", "ITEMOLDICON", "ITEMERRORICON",
         "ITEMSTOPICON", "ITEMSTOREDICON", "ITEMSTOREDNEWICON", "ITEMSTOREDOLDICON",
         "ITEMSTOREDSTOPPEDICON", "ITEMSTOREDREMOVEDICON", "ITEMSTATPENCIL", "ITEMSTATHAND",
         "ITEMSTATCYCLE", "ITEMSTATEXCLAMATION"]


def pictures():
    """(resource name, width, height) of every picture."""
    out = [("HALVORN_BMP_BASKET_BACK_BMP", 96, 72), ("HALVORN_BMP_BASKET_L_BMP", 32, 40),
           ("HALVORN_BMP_BASKET_R_BMP", 32, 40)]
    out += [("HALVORN_BMP_TRAYICON_%s_BMP" % n, 16, 16) for n in TRAY]
    out += [("HALVORN_BMP_%s_BMP" % n, 32, 32)
            for n in ["STRIP", "GRAY", "SMALLBACKBMP", "GREYNOSLIT"]]
    for base in BUTTONS:
        out += [("HALVORN_BMP_%s%s_BMP" % (base, s), 24, 24)
                for s in ["1", "1HI", "2", "2HI", "3"]]
    out += [("HALVORN_BMP_%s_BMP" % n, 16, 16) for n in ITEMS]
    return out


def pixels(name, w, h):
    field, border = pictures_lib.name_colours(name)
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            edge = x < 2 or y < 2 or x >= w - 2 or y >= h - 2 or abs(x - y) < 2
            row.append(1 if edge else 0)
        rows.append(row)
    return (field, border), rows


def main():
    out, bits = sys.argv[1], int(sys.argv[2])
    os.makedirs(out, exist_ok=True)
    entries = []
    for name, w, h in pictures():
        palette, rows = pixels(name, w, h)
        path = os.path.join(out, name + ".bmp")
        pictures_lib.write_file(path, pictures_lib.bmp(palette, rows, bits))
        entries.append((name, "BITMAP", path))
    pictures_lib.write_rc(os.path.join(out, "pictures.rc"), entries)


if __name__ == "__main__":
    main()
