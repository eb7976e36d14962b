#!/usr/bin/env python3
"""Writes the pictures of the bitmap libraries and the animation GIFs.

make_pictures.py <kind> <out folder>
  kind main|main4    the main library: strip, picture buttons, tiles, icons
  kind channels      the channel button library
  kind gifs          the four animations (plain and "4" names)

Every picture is one solid colour, and no two pictures share a colour, so a
screenshot shows which picture is drawn where. Each library gets a .rc file
that binds the resource names to the .bmp files.
"""
import os
import struct
import sys

BUTTON_SUFFIXES = ["1_BMP", "1HI_BMP", "2_BMP", "2HI_BMP", "3_BMP"]
MAIN_BUTTONS = ["VIEW", "DEVICE", "OPTIONS", "WEB", "HELP", "RECBUT", "PLAYBUT", "STOPBUT",
                "REMARKBUT", "TRASH", "CLOCK", "REJECT", "CUSTOM", "CUSTDOWN", "CUSTUP", "CLOSE",
                "LEFT", "RIGHT", "UP", "DOWN", "X", "UNDO", "HAND", "PENCIL", "PLAY", "STOP"]
TILES = [("STRIP", 16, 48), ("GRAY", 32, 32), ("SMALLBACKBMP", 32, 32), ("GREYNOSLIT", 32, 32)]
ICONS = ["ITEMRECICON", "ITEMPLAYICON", "ITEMPLAYEDICON", "ITEMOLDICON", "ITEMERRORICON",
         "ITEMSTOPICON", "ITEMSTOREDICON", "ITEMSTOREDNEWICON", "ITEMSTOREDOLDICON",
         "ITEMSTOREDSTOPPEDICON", "ITEMSTOREDREMOVEDICON", "ITEMSTATPENCIL", "ITEMSTATHAND",
         "ITEMSTATCYCLE", "ITEMSTATEXCLAMATION"]
CHANNEL_BASES = ["NEWS", "MUSIC", "TALK", "SPORT"]
GIFS = ["record_anim", "play_anim", "download_anim", "connect_anim"]
GIF_FRAMES = 3
GIF_SIZE = 24


def main_pictures():
    pics = [("HALVORN_BMP_%s_BMP" % name, w, h) for name, w, h in TILES]
    for base in MAIN_BUTTONS:
        pics += [("HALVORN_BMP_%s%s" % (base, s), 26, 22) for s in BUTTON_SUFFIXES]
    pics += [("HALVORN_BMP_%s_BMP" % name, 16, 16) for name in ICONS]
    return pics


def channel_pictures():
    return [("%s%s" % (base, s), 71, 28) for base in CHANNEL_BASES for s in BUTTON_SUFFIXES]


def gif_frames():
    names = []
    for variant in ("", "4"):
        for gif in GIFS:
            names += ["%s%s.gif#%d" % (gif, variant, f) for f in range(GIF_FRAMES)]
    return names


def all_names():
    """Every picture of every kind, in one order that fixes the colours."""
    names = [n for n, _, _ in main_pictures()]
    names += ["%s@4" % n for n in names]
    names += [n for n, _, _ in channel_pictures()]
    names += gif_frames()
    return names


def colours():
    """Distinct colours, away from black, white and grey: the 13 x 13 x 13
    grid of levels 24, 40 .. 216 walked with a stride prime to its size."""
    levels = list(range(24, 232, 16))
    grid = [(r, g, b) for r in levels for g in levels for b in levels]
    walk = [grid[(k * 1000) % len(grid)] for k in range(len(grid))]
    walk = [c for c in walk if max(c) - min(c) > 40]
    names = all_names()
    assert len(names) <= len(walk)
    return dict(zip(names, walk))


def write_bmp(path, width, height, rgb):
    row = bytes([rgb[2], rgb[1], rgb[0]]) * width
    row += b"\0" * ((4 - len(row) % 4) % 4)
    pixels = row * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def lzw_codes(indexes):
    """Codes for 8-bit pixel indexes that keep the code width at 9 bits:
    each pixel is sent as its own code and the table is cleared before it
    would grow past 511 entries."""
    clear, end = 256, 257
    codes, size = [clear], 258
    for i, p in enumerate(indexes):
        if size >= 510:
            codes.append(clear)
            size = 258
        codes.append(p)
        if i > 0 or codes[-2] != clear:
            size += 1
    codes.append(end)
    return codes


def pack_codes(codes, width=9):
    out, acc, bits = bytearray(), 0, 0
    for c in codes:
        acc |= c << bits
        bits += width
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc & 0xFF)
    return bytes(out)


def write_gif(path, frames, size, delay_cs=10):
    """An animation of solid frames, each colour index i of a global table."""
    table = bytearray()
    for rgb in frames:
        table += bytes(rgb)
    table += b"\0" * (768 - len(table))
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", size, size, 0xF7, 0, 0)
    data += table
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for i in range(len(frames)):
        data += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 0, delay_cs, 0, 0)
        data += struct.pack("<BHHHHB", 0x2C, 0, 0, size, size, 0)
        data.append(8)
        packed = pack_codes(lzw_codes([i] * (size * size)))
        for k in range(0, len(packed), 255):
            chunk = packed[k:k + 255]
            data.append(len(chunk))
            data += chunk
        data.append(0)
    data.append(0x3B)
    with open(path, "wb") as f:
        f.write(data)


def write_library(out, pictures, key_suffix=""):
    table = colours()
    lines = []
    for name, w, h in pictures:
        write_bmp(os.path.join(out, name + ".bmp"), w, h, table[name + key_suffix])
        lines.append('%s BITMAP "%s.bmp"\n' % (name, name))
    with open(os.path.join(out, "pictures.rc"), "w") as f:
        f.writelines(lines)


def main():
    kind, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    if kind == "main":
        write_library(out, main_pictures())
    elif kind == "main4":
        write_library(out, main_pictures(), "@4")
    elif kind == "channels":
        write_library(out, channel_pictures())
    elif kind == "gifs":
        table = colours()
        for variant in ("", "4"):
            for gif in GIFS:
                name = gif + variant + ".gif"
                frames = [table["%s#%d" % (name, f)] for f in range(GIF_FRAMES)]
                write_gif(os.path.join(out, name), frames, GIF_SIZE)
    else:
        sys.exit("unknown kind " + kind)


if __name__ == "__main__":
    main()
