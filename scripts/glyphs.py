"""Readable pictures for the bitmap libraries: a small canvas, a 5 x 7
letter font and the drawings of what each button does.

Every picture keeps a key colour of its own: its background. Key colours
carry an index in the low three bits of each channel (never all zero),
while the inks of the drawings use only multiples of 8, so no ink is ever
taken for a key. Tests find a picture on the screen by its key colour; the
key shows at (1, 1) and in the top right corner (width - 4, 3 and 4) of
every picture."""

INK = (16, 16, 24)
WHITE = (248, 248, 248)
SHADE = (88, 88, 96)
GREY = (136, 136, 136)
RED = (208, 32, 32)
GREEN = (32, 152, 48)
BLUE = (40, 72, 184)
YELLOW = (240, 200, 40)
BROWN = (136, 88, 40)


def key_colour(base, index):
    """The base colour with the index (1 .. 511) in its low bits."""
    assert 1 <= index <= 511
    bits = (index & 7, (index >> 3) & 7, (index >> 6) & 7)
    return tuple(min(c, 248) & ~7 | b for c, b in zip(base, bits))


def mix(a, b, t):
    return tuple(int(x + (y - x) * t) for x, y in zip(a, b))


class Canvas:
    def __init__(self, w, h, background):
        self.w, self.h = w, h
        self.key = background
        self.px = [[background] * w for _ in range(h)]

    def put(self, x, y, c):
        x, y = int(x), int(y)
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(int(y0), int(y1) + 1):
            for x in range(int(x0), int(x1) + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        x0, y0, x1, y1 = int(x0), int(y0), int(x1), int(y1)
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def line(self, x0, y0, x1, y1, c, width=1):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            x = round(x0 + (x1 - x0) * i / n)
            y = round(y0 + (y1 - y0) * i / n)
            for d in range(width):
                self.put(x + d, y, c)
                self.put(x, y + d, c)

    def disc(self, cx, cy, r, c, ring=None):
        for y in range(self.h):
            for x in range(self.w):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if ring is None and d <= r:
                    self.put(x, y, c)
                elif ring is not None and r - ring < d <= r:
                    self.put(x, y, c)

    def polygon(self, points, c):
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            xs = []
            for i in range(len(points)):
                (ax, ay), (bx, by) = points[i], points[(i + 1) % len(points)]
                if ay == by:
                    continue
                if min(ay, by) <= y + 0.5 < max(ay, by):
                    xs.append(ax + (y + 0.5 - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for a, b in zip(xs[::2], xs[1::2]):
                for x in range(int(round(a)), int(round(b))):
                    self.put(x, y, c)

    def text(self, x, y, word, c, scale=1):
        for ch in word:
            rows = FONT.get(ch.upper(), FONT["?"])
            for ry, row in enumerate(rows):
                for rx, bit in enumerate(row):
                    if bit == "#":
                        self.rect(x + rx * scale, y + ry * scale, x + rx * scale + scale - 1,
                                  y + ry * scale + scale - 1, c)
            x += 6 * scale

    def keep_key_points(self):
        for x, y in ((1, 1), (self.w - 4, 3), (self.w - 4, 4)):
            self.put(x, y, self.key)

    def colours(self):
        seen = []
        for row in self.px:
            for p in row:
                if p not in seen:
                    seen.append(p)
        return seen


def text_width(word, scale=1):
    return (6 * len(word) - 1) * scale


FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "J": ["..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["####.", "....#", "....#", ".###.", "....#", "....#", "####."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "5": ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    "6": [".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."],
    "7": ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "9": [".###.", "#...#", "#...#", ".####", "....#", "....#", ".###."],
    "?": [".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."],
    "!": ["..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}


# ---- drawings: draw(canvas, ink) fills the middle of the canvas.

def _box(cv):
    """The drawing area: the canvas less a margin, and its centre."""
    m = 3 if min(cv.w, cv.h) >= 20 else 2
    return m, m, cv.w - 1 - m, cv.h - 1 - m


def dot(cv, ink, colour=RED):
    x0, y0, x1, y1 = _box(cv)
    r = min(x1 - x0, y1 - y0) / 2 - 1
    cv.disc((x0 + x1) / 2, (y0 + y1) / 2, r, colour)
    cv.disc((x0 + x1) / 2, (y0 + y1) / 2, r, ink, ring=1)


def triangle(cv, ink, colour=GREEN):
    x0, y0, x1, y1 = _box(cv)
    s = min(x1 - x0, y1 - y0)
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    pts = [(cx - s / 2 + 1, cy - s / 2), (cx - s / 2 + 1, cy + s / 2 + 1), (cx + s / 2 + 1, cy + 0.5)]
    cv.polygon(pts, ink)
    inner = [(pts[0][0] + 1, pts[0][1] + 2), (pts[1][0] + 1, pts[1][1] - 2), (pts[2][0] - 2, pts[2][1])]
    cv.polygon(inner, colour)


def square(cv, ink, colour=INK):
    x0, y0, x1, y1 = _box(cv)
    s = min(x1 - x0, y1 - y0) - 2
    cx, cy = (x0 + x1) // 2, (y0 + y1) // 2
    cv.rect(cx - s // 2, cy - s // 2, cx - s // 2 + s, cy - s // 2 + s, colour)


def arrow(cv, ink, direction):
    x0, y0, x1, y1 = _box(cv)
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    s = min(x1 - x0, y1 - y0) / 2
    head = [(0, -s), (-s, 0), (-s / 2.5, 0), (-s / 2.5, s), (s / 2.5, s), (s / 2.5, 0), (s, 0)]
    rot = {"up": lambda x, y: (x, y), "down": lambda x, y: (x, -y),
           "left": lambda x, y: (y, x), "right": lambda x, y: (-y, x)}[direction]
    cv.polygon([(cx + rot(x, y)[0] + 0.5, cy + rot(x, y)[1] + 0.5) for x, y in head], ink)


def cross(cv, ink, colour=RED):
    x0, y0, x1, y1 = _box(cv)
    s = min(x1 - x0, y1 - y0)
    cx, cy = (x0 + x1) // 2, (y0 + y1) // 2
    a, b = cx - s // 2 + 1, cx + s // 2 - 1
    c, d = cy - s // 2 + 1, cy + s // 2 - 1
    cv.line(a, c, b, d, colour, 2)
    cv.line(a, d, b, c, colour, 2)


def letter(cv, ink, ch):
    scale = 2 if cv.h >= 16 else 1
    w, h = text_width(ch, scale), 7 * scale
    cv.text((cv.w - w) // 2, (cv.h - h) // 2 + (1 if cv.h % 2 == 0 else 0), ch, ink, scale)


def lines(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    step = max(3, (y1 - y0) // 3)
    for i in range(3):
        y = y0 + 1 + i * step
        cv.rect(x0 + 1, y, x0 + 2, y + 1, ink)
        cv.rect(x0 + 4, y, x1 - 1, y + 1, ink)


def speaker(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    cy = (y0 + y1) / 2
    cv.rect(x0 + 1, int(cy) - 2, x0 + 3, int(cy) + 2, ink)
    cv.polygon([(x0 + 3, cy - 2), (x0 + 8, cy - 6), (x0 + 8, cy + 7), (x0 + 3, cy + 3)], ink)
    for r in (4, 7):
        for a in range(-5, 6):
            y = cy + a * r / 7
            x = x0 + 9 + (r * r - (y - cy) ** 2) ** 0.5 if r * r >= (y - cy) ** 2 else None
            if x is not None:
                cv.put(int(x), int(y), ink)


def pages(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    w, h = (x1 - x0) * 2 // 3, (y1 - y0) - 3
    for dx in (0, 4):
        cv.rect(x0 + dx + 2, y0 + dx // 2, x0 + dx + 2 + w, y0 + dx // 2 + h, WHITE)
        cv.frame(x0 + dx + 2, y0 + dx // 2, x0 + dx + 2 + w, y0 + dx // 2 + h, ink)
    for i in range(3):
        y = y0 + 4 + i * 3
        cv.line(x0 + 8, y, x0 + 4 + w, y, ink)


def globe(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    r = min(x1 - x0, y1 - y0) / 2
    cv.disc(cx, cy, r, BLUE)
    cv.disc(cx, cy, r, ink, ring=1)
    cv.line(int(cx - r), int(cy), int(cx + r), int(cy), WHITE)
    for y in range(int(cy - r), int(cy + r) + 1):
        half = (max(r * r - (y - cy) ** 2, 0)) ** 0.5 / 2
        cv.put(int(cx - half), y, WHITE)
        cv.put(int(cx + half), y, WHITE)
        cv.put(int(cx), y, WHITE)


def bubble(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    cv.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 5, WHITE)
    cv.frame(x0 + 1, y0 + 1, x1 - 1, y1 - 5, ink)
    cv.polygon([(x0 + 4, y1 - 5), (x0 + 10, y1 - 5), (x0 + 4, y1)], ink)
    for i in range(2):
        y = y0 + 4 + i * 3
        cv.line(x0 + 4, y, x1 - 4, y, ink)


def bin_(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    cx = (x0 + x1) // 2
    w = (x1 - x0) * 2 // 3 // 2
    cv.rect(cx - w - 1, y0 + 1, cx + w + 1, y0 + 2, ink)
    cv.rect(cx - 1, y0, cx + 1, y0, ink)
    cv.polygon([(cx - w, y0 + 3), (cx + w + 1, y0 + 3), (cx + w, y1 + 1), (cx - w + 1, y1 + 1)], ink)
    for dx in (-w // 2, 0, w // 2):
        cv.line(cx + dx, y0 + 5, cx + dx, y1 - 1, SHADE)


def clock(cv, ink, hand=INK, face=WHITE):
    x0, y0, x1, y1 = _box(cv)
    cx, cy = (x0 + x1) // 2, (y0 + y1) // 2
    r = min(x1 - x0, y1 - y0) // 2
    cv.disc(cx, cy, r, face)
    cv.disc(cx, cy, r, ink, ring=1)
    cv.line(cx, cy, cx, cy - r + 2, hand)
    cv.line(cx, cy, cx + r - 3, cy, hand)


def no_entry(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    r = min(x1 - x0, y1 - y0) / 2
    cv.disc(cx, cy, r, RED)
    cv.rect(int(cx - r + 2), int(cy) - 1, int(cx + r - 2), int(cy) + 1, WHITE)


def checklist(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    step = max(4, (y1 - y0) // 3)
    for i in range(3):
        y = y0 + i * step
        cv.frame(x0 + 1, y, x0 + 3, y + 2, ink)
        cv.rect(x0 + 6, y + 1, x1 - 1, y + 1, ink)
    cv.line(x0 + 1, y0 + 1 + step, x0 + 2, y0 + 2 + step, GREEN)
    cv.line(x0 + 2, y0 + 2 + step, x0 + 4, y0 - 1 + step, GREEN)


def undo(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    cx, cy = (x0 + x1) / 2 + 1, (y0 + y1) / 2 + 1
    r = min(x1 - x0, y1 - y0) / 2 - 1
    cv.disc(cx, cy, r, ink, ring=2)
    cv.rect(int(x0), int(cy) - r // 1 - 1, int(cx) - 1, int(cy) - 1, cv.key)
    cv.polygon([(x0, cy - r - 2), (x0 + 5, cy - r + 2), (x0, cy - r + 5)], ink)


def hand(cv, ink):
    """An open hand held up: four fingers, a thumb and the palm."""
    x0, y0, x1, y1 = _box(cv)
    cx = (x0 + x1) // 2
    palm_top = y0 + (y1 - y0) // 2
    cv.rect(cx - 5, palm_top, cx + 5, y1, ink)
    cv.rect(cx - 4, palm_top, cx + 4, y1 - 1, YELLOW)
    for i, top in enumerate((y0 + 2, y0, y0 + 1, y0 + 3)):
        fx = cx - 5 + i * 3
        cv.rect(fx, top, fx + 2, palm_top, ink)
        cv.rect(fx + 1, top + 1, fx + 1, palm_top, YELLOW)
    for d in range(4):
        cv.rect(cx - 8 + d, palm_top - 2 + d, cx - 7 + d, palm_top - 1 + d, ink)
    cv.rect(cx - 7, palm_top - 1, cx - 7, palm_top - 1, YELLOW)


def pencil(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    cv.line(x0 + 2, y1 - 2, x1 - 2, y0 + 2, YELLOW, 3)
    cv.line(x0 + 1, y1 - 1, x0 + 2, y1 - 2, ink, 2)
    cv.line(x0 + 3, y1 - 1, x1 - 1, y0 + 3, ink)


def cycle(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    r = min(x1 - x0, y1 - y0) / 2
    cv.disc(cx, cy, r, GREEN, ring=2)
    cv.polygon([(cx + r - 3, cy - 1), (cx + r + 2, cy - 1), (cx + r - 0.5, cy + 3)], GREEN)


def check(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    cv.line(x0 + 1, (y0 + y1) // 2, (x0 + x1) // 2 - 1, y1 - 1, GREEN, 2)
    cv.line((x0 + x1) // 2 - 1, y1 - 1, x1 - 1, y0 + 1, GREEN, 2)


def hourglass(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    cx = (x0 + x1) / 2
    cv.rect(x0 + 2, y0, x1 - 2, y0, ink)
    cv.rect(x0 + 2, y1, x1 - 2, y1, ink)
    cv.polygon([(x0 + 3, y0 + 1), (x1 - 2, y0 + 1), (cx + 0.5, (y0 + y1) / 2 + 0.5)], BROWN)
    cv.polygon([(cx + 0.5, (y0 + y1) / 2 + 0.5), (x1 - 2, y1), (x0 + 3, y1)], BROWN)


def disk(cv, ink, mark=None):
    x0, y0, x1, y1 = _box(cv)
    cv.rect(x0, y0, x1, y1, BLUE)
    cv.rect(x0 + 2, y0, x1 - 2, y0 + (y1 - y0) // 3, WHITE)
    cv.rect(x0 + 2, y1 - (y1 - y0) // 3, x1 - 2, y1, GREY)
    if mark:
        mark(cv)


def window_box(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    cv.rect(x0, y0 + 1, x1, y1, WHITE)
    cv.frame(x0, y0 + 1, x1, y1, ink)
    cv.rect(x0, y0 + 1, x1, y0 + 3, BLUE)


def basket(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    mid = (y0 + y1) // 2
    cv.disc((x0 + x1) / 2, mid, (x1 - x0) / 2 - 2, BROWN, ring=1)
    cv.rect(x0, mid, x1, mid, BROWN)
    cv.polygon([(x0 + 1, mid + 1), (x1, mid + 1), (x1 - 2, y1 + 1), (x0 + 3, y1 + 1)], BROWN)
    for x in range(x0 + 3, x1 - 1, 3):
        cv.line(x, mid + 2, x, y1 - 1, YELLOW)


def clipboard(cv, ink):
    x0, y0, x1, y1 = _box(cv)
    cv.rect(x0 + 1, y0 + 1, x1 - 1, y1, BROWN)
    cv.rect(x0 + 3, y0 + 3, x1 - 3, y1 - 2, WHITE)
    cv.rect((x0 + x1) // 2 - 2, y0, (x0 + x1) // 2 + 2, y0 + 2, ink)
    cv.line(x0 + 4, y0 + 6, x1 - 4, y0 + 6, ink)
    cv.line(x0 + 4, y0 + 8, x1 - 4, y0 + 8, ink)


def sched(cv, ink, on):
    clock(cv, ink, face=WHITE if on else (200, 200, 200))
    x0, y0, x1, y1 = _box(cv)
    if on:
        cv.disc(x1 - 1, y1 - 1, 2.5, GREEN)
    else:
        cv.line(x0, y1, x1, y0, RED, 2)


DRAWINGS = {
    "VIEW": lines, "DEVICE": speaker, "OPTIONS": pages, "WEB": globe,
    "HELP": lambda cv, ink: letter(cv, ink, "?"), "RECBUT": dot, "PLAYBUT": triangle,
    "STOPBUT": square, "REMARKBUT": bubble, "TRASH": bin_, "CLOCK": clock, "REJECT": no_entry,
    "CUSTOM": checklist, "CUSTDOWN": lambda cv, ink: arrow(cv, ink, "down"),
    "CUSTUP": lambda cv, ink: arrow(cv, ink, "up"), "CLOSE": cross,
    "LEFT": lambda cv, ink: arrow(cv, ink, "left"),
    "RIGHT": lambda cv, ink: arrow(cv, ink, "right"),
    "UP": lambda cv, ink: arrow(cv, ink, "up"), "DOWN": lambda cv, ink: arrow(cv, ink, "down"),
    "X": bin_, "UNDO": undo, "HAND": hand, "PENCIL": pencil, "PLAY": triangle, "STOP": square,
    # Menu and tray pictures.
    "TRAY_CLOSE": cross, "TRAY_MAX": window_box, "TRAY_PLAY": triangle, "TRAY_REC": dot,
    "TRAY_STOP": square, "TRAY_ABOUT": lambda cv, ink: letter(cv, BLUE, "I"),
    "TRAY_HELP": lambda cv, ink: letter(cv, ink, "?"), "TRAY_TEZBASKET": basket,
    "TRAY_SCHEDON": lambda cv, ink: sched(cv, ink, True),
    "TRAY_SCHEDOFF": lambda cv, ink: sched(cv, ink, False), "TRAY_BASKETPASTE": clipboard,
    # Item status and state pictures of the items grid.
    "ITEMRECICON": dot, "ITEMPLAYICON": triangle, "ITEMPLAYEDICON": check,
    "ITEMOLDICON": hourglass, "ITEMERRORICON": lambda cv, ink: letter(cv, RED, "!"),
    "ITEMSTOPICON": square, "ITEMSTOREDICON": disk,
    "ITEMSTOREDNEWICON": lambda cv, ink: disk(cv, ink, lambda c: c.disc(c.w - 4, 4, 2.5, YELLOW)),
    "ITEMSTOREDOLDICON": lambda cv, ink: disk(cv, ink, hourglass_mark),
    "ITEMSTOREDSTOPPEDICON": lambda cv, ink: disk(cv, ink, lambda c: c.rect(9, 9, 13, 13, INK)),
    "ITEMSTOREDREMOVEDICON": lambda cv, ink: disk(cv, ink, lambda c: cross(c, ink)),
    "ITEMSTATPENCIL": pencil, "ITEMSTATHAND": hand, "ITEMSTATCYCLE": cycle,
    "ITEMSTATEXCLAMATION": lambda cv, ink: letter(cv, RED, "!"),
}


def hourglass_mark(cv):
    cv.rect(9, 9, 13, 13, BROWN)


# Base colours of the button families: what a user sees as the button.
BUTTON_BASE = (176, 196, 224)
STATES = ["1", "1HI", "2", "2HI", "3"]


def faded(c):
    """An ink as a disabled button shows it: grey, lighter, keeping the
    drawing's light and dark parts apart (an ink colour: multiples of 8)."""
    lum = (c[0] * 30 + c[1] * 59 + c[2] * 11) / 100
    g = int(96 + lum * 0.5) & ~7
    return (g, g, g)


def button(w, h, draw, state, index, base=BUTTON_BASE):
    """A picture button in one of its five states: normal, highlighted
    (lighter, raised), pushed (darker, sunken, drawing moved in),
    pushed highlighted, and disabled (pale, drawing in grey)."""
    light = {"1": 0.0, "1HI": 0.45, "2": -0.25, "2HI": 0.1, "3": 0.6}[state]
    colour = mix(base, (255, 255, 255), light) if light >= 0 else mix(base, (0, 0, 0), -light)
    cv = Canvas(w, h, key_colour(colour, index))
    pushed = state.startswith("2")
    top, bottom = (SHADE, WHITE) if pushed else (WHITE, SHADE)
    if state == "3":
        top = bottom = GREY
    cv.frame(0, 0, w - 1, h - 1, bottom)
    for x in range(w - 1):
        cv.put(x, 0, top)
    for y in range(h - 1):
        cv.put(0, y, top)
    if state == "1HI" or state == "2HI":
        cv.frame(1, 1, w - 2, h - 2, YELLOW if state == "1HI" else WHITE)
        cv.put(1, 1, cv.key)
    inner = Canvas(w - 2, h - 2, cv.key)
    draw(inner, INK)
    if state == "3":
        inner.px = [[p if p == cv.key else faded(p) for p in row] for row in inner.px]
    shift = 1 if pushed else 0
    for y in range(inner.h):
        for x in range(inner.w):
            if inner.px[y][x] != cv.key:
                cv.put(x + 1 + shift, y + 1 + shift, inner.px[y][x])
    cv.keep_key_points()
    return cv


def icon(w, h, draw, index, base=(232, 236, 244)):
    """A small picture (menu, tray, items grid) on its key colour."""
    cv = Canvas(w, h, key_colour(base, index))
    draw(cv, INK)
    cv.keep_key_points()
    return cv


def word_button(w, h, word, state, index, base=(96, 128, 184)):
    """A channel button: its word in white letters on the channel colour."""
    def draw(cv, ink):
        scale = 2 if text_width(word, 2) <= cv.w - 4 and cv.h >= 18 else 1
        ink = WHITE if state != "3" else GREY
        cv.text((cv.w - text_width(word, scale)) // 2, (cv.h - 7 * scale) // 2, word, ink, scale)
    return button(w, h, draw, state, index, base)


def tile(w, h, index, base, stripe=None, every=4):
    """A background tile: its colour with a faint stripe every few rows."""
    cv = Canvas(w, h, key_colour(base, index))
    if stripe:
        for y in range(2, h, every):
            for x in range(w):
                if (x + y) % 2 == 0:
                    cv.put(x, y, stripe)
    cv.keep_key_points()
    return cv


def to_bmp(cv, bits=24):
    """The canvas as a bitmap file (4 bits: at most 16 colours)."""
    import pictures
    palette = cv.colours()
    assert bits == 24 or len(palette) <= 16, "too many colours for 4 bits"
    index = {c: i for i, c in enumerate(palette)}
    return pictures.bmp(palette, [[index[p] for p in row] for row in cv.px], bits)


def animation(size, key, draw_frame, count):
    """The frames of an animation drawn on its key colour: (palette, frames
    of palette indexes); the key is colour 0."""
    canvases = []
    for f in range(count):
        cv = Canvas(size, size, key)
        draw_frame(cv, f)
        cv.keep_key_points()
        canvases.append(cv)
    palette = [key]
    for cv in canvases:
        for c in cv.colours():
            if c not in palette:
                palette.append(c)
    index = {c: i for i, c in enumerate(palette)}
    frames = [[index[p] for row in cv.px for p in row] for cv in canvases]
    return palette, frames


def anim_record(cv, f):
    r = (4, 6, 8, 6)[f % 4]
    cv.disc(11.5, 11.5, r, RED)
    cv.disc(11.5, 11.5, r, INK, ring=1)


def anim_play(cv, f):
    cv.polygon([(4, 5), (4, 19), (12, 12)], GREEN)
    for i in range(f % 4):
        h = 3 + 2 * i
        for y in range(-h, h + 1):
            cv.put(14 + 3 * i + round(2 * (1 - (y / h) ** 2)), 12 + y, INK)


def anim_download(cv, f):
    y = 3 + 3 * (f % 4)
    cv.polygon([(7, y), (16, y), (16, y + 6), (20, y + 6), (11.5, y + 12), (3, y + 6), (7, y + 6)],
               BLUE)
    cv.rect(3, 21, 20, 22, INK)


def anim_connect(cv, f):
    cv.disc(11.5, 11.5, 9, BLUE)
    cv.disc(11.5, 11.5, 9, INK, ring=1)
    cv.rect(3, 11, 20, 12, WHITE)
    x = (6, 10, 14, 18)[f % 4]
    cv.rect(x - 1, 4, x, 19, WHITE)


ANIMATIONS = {"record_anim": anim_record, "play_anim": anim_play,
              "download_anim": anim_download, "connect_anim": anim_connect}
