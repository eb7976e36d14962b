#!/usr/bin/env python3
"""Writes the pictures of the bitmap libraries and the resource script that
holds them: make_pictures.py <out folder> <bits per pixel: 24 or 4>.
The basket, its doors and the menu pictures are drawn to be read; every
picture keeps a key colour of its own (see scripts/glyphs.py), taken after
those of the main library's pictures, so that a screenshot tells any two
pictures apart."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import glyphs  # noqa: E402
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
    out = [("HALVORN_BMP_BASKET_BACK_BMP", 96, 84), ("HALVORN_BMP_BASKET_L_BMP", 32, 40),
           ("HALVORN_BMP_BASKET_R_BMP", 32, 40)]
    out += [("HALVORN_BMP_TRAYICON_%s_BMP" % n, 16, 16) for n in TRAY]
    out += [("HALVORN_BMP_%s_BMP" % n, 32, 32)
            for n in ["STRIP", "GRAY", "SMALLBACKBMP", "GREYNOSLIT"]]
    for base in BUTTONS:
        out += [("HALVORN_BMP_%s%s_BMP" % (base, s), 24, 24)
                for s in ["1", "1HI", "2", "2HI", "3"]]
    out += [("HALVORN_BMP_%s_BMP" % n, 16, 16) for n in ITEMS]
    return out


# Key indexes follow those of the main library (below 384).
FIRST_KEY = 384


def basket_back(w, h, index):
    """The basket: a woven body under a handle, on a soft background."""
    cv = glyphs.Canvas(w, h, glyphs.key_colour((200, 216, 232), index))
    brown, light = glyphs.BROWN, (192, 144, 80)
    cv.disc(w / 2, h * 0.45, w * 0.36, brown, ring=3)
    cv.rect(0, int(h * 0.45), w - 1, h - 1, cv.key)
    top = int(h * 0.45)
    cv.polygon([(w * 0.1, top), (w * 0.9, top), (w * 0.8, h - 4), (w * 0.2, h - 4)], brown)
    for y in range(top + 3, h - 5, 5):
        for x in range(int(w * 0.15), int(w * 0.85), 6):
            cv.rect(x + (y // 5 % 2) * 3, y, x + (y // 5 % 2) * 3 + 2, y + 1, light)
    cv.rect(int(w * 0.08), top - 2, int(w * 0.92), top + 1, glyphs.INK)
    cv.keep_key_points()
    return cv


def door(w, h, index, left):
    """A basket lid half: wood with its planks and a knob at the seam."""
    cv = glyphs.Canvas(w, h, glyphs.key_colour((168, 112, 56), index))
    for x in range(4, w, 8):
        cv.rect(x, 0, x, h - 1, (120, 80, 40))
    cv.frame(0, 0, w - 1, h - 1, glyphs.INK)
    knob = w - 5 if left else 4
    cv.disc(knob, h / 2, 2.5, glyphs.YELLOW)
    cv.keep_key_points()
    return cv


def picture(name, w, h, index):
    bare = name.replace("HALVORN_BMP_", "")[:-len("_BMP")]
    if bare == "BASKET_BACK":
        return basket_back(w, h, index)
    if bare in ("BASKET_L", "BASKET_R"):
        return door(w, h, index, bare == "BASKET_L")
    if bare.startswith("TRAYICON_"):
        return glyphs.icon(w, h, glyphs.DRAWINGS["TRAY_" + bare[len("TRAYICON_"):]], index)
    if bare in ("STRIP", "GRAY", "SMALLBACKBMP", "GREYNOSLIT"):
        return glyphs.tile(w, h, index, (120, 132, 152), (112, 120, 144))
    for base in BUTTONS:
        for state in glyphs.STATES:
            if bare == base + state:
                return glyphs.button(w, h, glyphs.DRAWINGS[base], state, index)
    return glyphs.icon(w, h, glyphs.DRAWINGS[bare], index)


def main():
    out, bits = sys.argv[1], int(sys.argv[2])
    os.makedirs(out, exist_ok=True)
    entries = []
    for i, (name, w, h) in enumerate(pictures()):
        cv = picture(name, w, h, FIRST_KEY + 1 + i)
        path = os.path.join(out, name + ".bmp")
        pictures_lib.write_file(path, glyphs.to_bmp(cv, bits))
        entries.append((name, "BITMAP", path))
    pictures_lib.write_rc(os.path.join(out, "pictures.rc"), entries)


if __name__ == "__main__":
    main()
