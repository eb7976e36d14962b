#!/usr/bin/env python3
"""Writes the pictures of the bitmap libraries and the resource script that
holds them: make_pictures.py <out folder> <bits per pixel: 24 or 4>.
Every picture gets two colours of its own, taken from its name, so that a
screenshot tells any two pictures apart: a border of one colour around a
field of the other, with a diagonal stroke in the border colour."""
import hashlib
import os
import struct
import sys

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


def colours(name):
    """Two colours of the name, far enough apart to tell border from field."""
    d = hashlib.sha1(name.encode()).digest()
    field = (d[0], d[1], d[2])
    border = tuple(255 - c for c in field)
    if sum(abs(a - b) for a, b in zip(field, border)) < 120:
        border = (0, 0, 0) if sum(field) > 384 else (255, 255, 255)
    return field, border


def pixels(name, w, h):
    field, border = colours(name)
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            edge = x < 2 or y < 2 or x >= w - 2 or y >= h - 2 or abs(x - y) < 2
            row.append(1 if edge else 0)
        rows.append(row)
    return (field, border), rows


def bmp(palette, rows, bits):
    h, w = len(rows), len(rows[0])
    data = bytearray()
    for row in reversed(rows):  # bottom-up
        if bits == 24:
            line = b"".join(bytes((palette[i][2], palette[i][1], palette[i][0])) for i in row)
        else:
            line = bytearray()
            for x in range(0, w, 2):
                hi = row[x]
                lo = row[x + 1] if x + 1 < w else 0
                line.append(hi << 4 | lo)
            line = bytes(line)
        data += line + b"\0" * ((4 - len(line) % 4) % 4)
    colours_used = 0 if bits == 24 else 16
    table = b""
    if bits == 4:
        entries = list(palette) + [(0, 0, 0)] * (16 - len(palette))
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in entries)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(data), 2835, 2835,
                       colours_used, 0)
    return header + info + table + bytes(data)


def main():
    out, bits = sys.argv[1], int(sys.argv[2])
    os.makedirs(out, exist_ok=True)
    lines = []
    for name, w, h in pictures():
        palette, rows = pixels(name, w, h)
        path = os.path.join(out, name + ".bmp")
        with open(path, "wb") as f:
            f.write(bmp(palette, rows, bits))
        lines.append('%s BITMAP "%s"' % (name, path.replace("\\", "/")))
    with open(os.path.join(out, "pictures.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
