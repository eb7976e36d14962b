#!/bin/sh
# Makes MPEG audio items of a known tone in the working folder with the
# encoders (a 1 kHz sine at half scale, one second: MP3 at 44.1 kHz, MP2
# at 48 kHz), then runs the test program ($1) under Wine, or with "--" the
# command that follows (e.g. another wrapper).
set -e
tone() {
  python3 - "$1" "$2" <<'PY'
import math, struct, sys
out, rate = sys.argv[1], int(sys.argv[2])
with open(out, 'wb') as f:
    for i in range(rate):
        v = int(16384 * math.sin(2 * math.pi * 1000 * i / rate))
        f.write(struct.pack('<hh', v, v))
PY
}
if [ ! -s tone.mp3 ]; then
  tone tone44.raw 44100
  lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m j -b 128 \
    tone44.raw tone.mp3 2>/dev/null
fi
if [ ! -s tone.mp2 ]; then
  tone tone48.raw 48000
  twolame --quiet -r -s 48000 -N 2 -m j -b 192 tone48.raw tone.mp2 2>/dev/null
fi
if [ "$1" = "--" ]; then
  shift
  exec "$@"
fi
exec "$WINE" "$1"
