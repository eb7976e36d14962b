#!/usr/bin/env bash
# Makes the GIF and cursor test files from known pixel arrays: the arrays
# are written as PPM files (kept beside the pictures), ImageMagick encodes
# them. Run from this folder; the results are committed.
set -euo pipefail
cd "$(dirname "$0")/fixtures"
python3 - <<'PY'
def ppm(name, w, h, pixel):
    with open(name, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (w, h))
        for y in range(h):
            for x in range(w):
                f.write(bytes(pixel(x, y)))
four = [(255, 0, 0), (0, 128, 0), (0, 0, 255), (255, 255, 255)]
ppm("basic.ppm", 7, 5, lambda x, y: four[(x + 2 * y) % 4])
ppm("interlaced.ppm", 13, 17, lambda x, y: four[(y * 3 + x // 4) % 4])
many = [((i * 37) % 256, (i * 91) % 256, (i * 173) % 256) for i in range(200)]
ppm("deep.ppm", 20, 10, lambda x, y: many[(x + 20 * y) % 200])
ppm("frame0.ppm", 8, 6, lambda x, y: (200, 30, 30))
ppm("frame1.ppm", 8, 6, lambda x, y: (30, 200, 30) if x < 4 else (30, 30, 200))
ppm("frame2.ppm", 8, 6, lambda x, y: (250, 250, 0) if (x + y) % 2 else (0, 0, 0))
ppm("sprite.ppm", 6, 4, lambda x, y: (0, 255, 0) if x in (0, 5) else (90, 60, 30))
for i, c in enumerate([(255, 0, 0), (0, 255, 0), (0, 0, 255)]):
    ppm("solid%d.ppm" % i, 20, 20, lambda x, y, c=c: c)
ppm("patch.ppm", 4, 2, lambda x, y: (0, 0, 255))
PY
convert basic.ppm basic.gif
convert interlaced.ppm -interlace GIF interlaced.gif
convert deep.ppm deep.gif
convert sprite.ppm -transparent '#00ff00' transparent.gif
# Three frames, each with its own colours (local tables), delays and disposal.
convert -delay 10 -dispose None frame0.ppm -delay 25 -dispose Background frame1.ppm \
        -delay 40 -dispose Previous frame2.ppm -loop 0 anim.gif
# Three solid frames of 60 ms for the animator.
convert -delay 6 solid0.ppm solid1.ppm solid2.ppm solid3.gif
# A full frame, a patch drawn over it at (2, 1), then the patch cleared.
convert -dispose None -page 8x6+0+0 frame0.ppm -dispose Background -page 8x6+2+1 patch.ppm \
        -dispose None -page 8x6+0+0 frame2.ppm overlay.gif
# An animated cursor: two 16x16 cursor images (left half black, then right
# half black), shown in the steps 0, 1, 0 for 5, 10 and 15 jiffies.
python3 - <<'PY'
import struct
def cursor(black_left):
    rows_xor, rows_and = b"", b""
    for y in range(15, -1, -1):
        bits = 0
        for x in range(16):
            black = (x < 8) == black_left
            if not black:
                bits |= 1 << (31 - x)
        rows_xor += struct.pack(">I", bits)
        rows_and += struct.pack(">I", 0)
    image = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 1, 0, 0, 0, 0, 2, 0)
    image += struct.pack("<II", 0, 0xFFFFFF) + rows_xor + rows_and
    return struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", 16, 16, 0, 0, 3, 4, len(image), 22) + image
def chunk(tag, data):
    return tag + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")
anih = struct.pack("<9I", 36, 2, 3, 16, 16, 1, 1, 7, 3)
frames = b"fram" + chunk(b"icon", cursor(True)) + chunk(b"icon", cursor(False))
info = b"INFO" + chunk(b"INAM", b"Pointer\0") + chunk(b"IART", b"Brindale\0")
body = b"ACON" + chunk(b"LIST", info) + chunk(b"anih", anih) + chunk(b"rate", struct.pack("<3I", 5, 10, 15)) \
       + chunk(b"seq ", struct.pack("<3I", 0, 1, 0)) + chunk(b"LIST", frames)
open("pointer.ani", "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
PY
