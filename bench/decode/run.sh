#!/usr/bin/env bash
# Makes a 120 s stereo 44.1 kHz Layer II file at 192 kbit/s with twolame and
# a 120 s stereo 44.1 kHz Layer III file at 128 kbit/s with lame, and decodes
# them under Wine: decode/run.sh [passes] [x86_64|i686]. Then plays a 60 s Layer III file
# through the player library to the wave-out device and reports the CPU
# time that took.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
arch=${2:-x86_64}
bin="$top/build/$arch/bin"
[ -x "$bin/decode_bench.exe" ] && [ -x "$bin/play_bench.exe" ] || "$top/scripts/build.sh" "$arch"
work="$top/build/bench-decode"
mkdir -p "$work"
cd "$work"
if [ ! -s music192.mp2 ]; then
  python3 - <<'PY'
import math, random, struct
rate, seconds = 44100, 120
random.seed(5)
out = bytearray()
for i in range(rate * seconds):
    t = i / rate
    l = 0.3 * math.sin(2 * math.pi * 440 * t) + 0.1 * math.sin(2 * math.pi * 3100 * t)
    r = 0.3 * math.sin(2 * math.pi * 660 * t) + 0.1 * math.sin(2 * math.pi * 5200 * t)
    n = 0.05 * (random.random() * 2 - 1)
    out += struct.pack('<hh', int((l + n) * 32767), int((r + n) * 32767))
open('music.raw', 'wb').write(out)
PY
  twolame --quiet -r -s 44100 -N 2 -m s -b 192 music.raw music192.mp2
  rm -f music.raw
fi
if [ ! -s music60.mp3 ]; then
  python3 "$top/player/tests/layer3/make_signal.py" music.raw 44100 2 60 music
  lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m j -b 128 \
    music.raw music60.mp3 2>/dev/null
  rm -f music.raw
fi
if [ ! -s music128.mp3 ]; then
  python3 "$top/player/tests/layer3/make_signal.py" music.raw 44100 2 120 music
  lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m j -b 128 \
    music.raw music128.mp3 2>/dev/null
  rm -f music.raw
fi
# shellcheck source=../../scripts/wine-env.sh
source "$top/scripts/wine-env.sh"
trap wine_env_down EXIT
wine_env_up "$top/build/env" "$arch"
echo "Build: $arch"
for file in music192.mp2 music128.mp3; do
  echo "$file:"
  "$WINE" "$bin/decode_bench.exe" "$file" "${1:-1}"
done
echo "music60.mp3 played:"
"$WINE" "$bin/play_bench.exe" music60.mp3
