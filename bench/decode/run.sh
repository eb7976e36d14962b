#!/bin/sh
# Makes the benchmark files (once) and measures decoding speed:
#   bench/decode/run.sh [build folder]   (default build/x86_64)
# Layer III: 120 s of stereo at 44.1 kHz, 128 kbit/s joint stereo.
set -e
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build/x86_64}
data=$build/bench-data
mkdir -p "$data"
if [ ! -s "$data/layer3_120s.mp3" ]; then
  python3 "$top/player/tests/layer3/make_signal.py" "$data/music_120s.raw" 44100 2 120 music
  lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m j -b 128 \
    "$data/music_120s.raw" "$data/layer3_120s.mp3" 2>/dev/null
fi
. "$top/scripts/wine-env.sh"
trap wine_env_down EXIT
wine_env_up "$top/build/env"
cd "$data"
"$WINE" "$build/bin/decode_bench.exe" layer3_120s.mp3
