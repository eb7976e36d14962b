#!/usr/bin/env python3
"""Writes the pictures of the bitmap libraries and the animation GIFs.

make_pictures.py <kind> <out folder>
  kind main|main4    the main library: strip, picture buttons, tiles, icons
  kind main-gap      the main library without the help button's pushed
                     highlight picture (for tests of a broken library)
  kind channels      the channel button library
  kind gifs          the four animations (plain and "4" names)

Each button shows what it does in its five states, a channel button shows
its channel's word, and every picture keeps a key colour of its own (see
scripts/glyphs.py), so a screenshot tells which picture is drawn where.
Each library gets a .rc file that binds the resource names to the .bmp
files.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import glyphs  # noqa: E402
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
GIF_FRAMES = 4
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


def key_indexes():
    """Key index of every picture: 1, 2, ... in one fixed order."""
    return {name: i + 1 for i, name in enumerate(all_names())}


TILE_LOOK = {"STRIP": ((56, 72, 112), (72, 88, 136)), "GRAY": ((120, 132, 152), (112, 120, 144)),
             "SMALLBACKBMP": ((216, 224, 236), (200, 208, 224)),
             "GREYNOSLIT": ((152, 160, 176), (144, 152, 168))}
CHANNEL_LOOK = {"NEWS": (64, 96, 168), "MUSIC": (144, 64, 136), "TALK": (48, 128, 96),
                "SPORT": (184, 96, 32)}
GIF_LOOK = {"record_anim": (232, 216, 216), "play_anim": (216, 232, 216),
            "download_anim": (216, 224, 240), "connect_anim": (240, 232, 208)}


def picture(name, w, h, index):
    """The canvas of one resource name."""
    bare = name.replace("HALVORN_BMP_", "")
    for base in MAIN_BUTTONS:
        for state in BUTTON_SUFFIXES:
            if bare == base + state:
                return glyphs.button(w, h, glyphs.DRAWINGS[base], state.replace("_BMP", ""), index)
    for base, look in CHANNEL_LOOK.items():
        for state in BUTTON_SUFFIXES:
            if name == base + state:
                return glyphs.word_button(w, h, base, state.replace("_BMP", ""), index, look)
    kind = bare.replace("_BMP", "")
    if kind in TILE_LOOK:
        colour, stripe = TILE_LOOK[kind]
        return glyphs.tile(w, h, index, colour, tuple(c & ~7 for c in stripe))
    return glyphs.icon(w, h, glyphs.DRAWINGS[kind], index)


def write_library(out, pics, key_suffix=""):
    keys = key_indexes()
    for name, w, h in pics:
        cv = picture(name, w, h, keys[name + key_suffix])
        pictures_lib.write_file(os.path.join(out, name + ".bmp"), glyphs.to_bmp(cv))
    pictures_lib.write_rc(os.path.join(out, "pictures.rc"),
                          [(name, "BITMAP", name + ".bmp") for name, _, _ in pics])


def main():
    kind, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    if kind == "main":
        write_library(out, main_pictures())
    elif kind == "main-gap":
        write_library(out, [p for p in main_pictures() if p[0] != "HALVORN_BMP_HELP2HI_BMP"])
    elif kind == "main4":
        write_library(out, main_pictures(), "@4")
    elif kind == "channels":
        write_library(out, channel_pictures())
    elif kind == "gifs":
        keys = key_indexes()
        for variant in ("", "4"):
            for gif in GIFS:
                name = gif + variant + ".gif"
                key = glyphs.key_colour(GIF_LOOK[gif], keys["%s#0" % name])
                palette, frames = glyphs.animation(GIF_SIZE, key, glyphs.ANIMATIONS[gif],
                                                   GIF_FRAMES)
                pictures_lib.write_file(os.path.join(out, name),
                                        pictures_lib.animated_gif_frames(palette, frames,
                                                                         GIF_SIZE, 15))
    else:
        sys.exit("unknown kind " + kind)


if __name__ == "__main__":
    main()
