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
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import pictures as pictures_lib  # noqa: E402

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


def write_library(out, pictures, key_suffix=""):
    table = colours()
    for name, w, h in pictures:
        pictures_lib.write_file(os.path.join(out, name + ".bmp"),
                                pictures_lib.solid_bmp(w, h, table[name + key_suffix]))
    pictures_lib.write_rc(os.path.join(out, "pictures.rc"),
                          [(name, "BITMAP", name + ".bmp") for name, _, _ in pictures])


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
                pictures_lib.write_file(os.path.join(out, name),
                                        pictures_lib.animated_gif(frames, GIF_SIZE))
    else:
        sys.exit("unknown kind " + kind)


if __name__ == "__main__":
    main()
