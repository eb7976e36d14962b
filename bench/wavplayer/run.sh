#!/usr/bin/env bash
# Makes a 10 minute and a 3 hour Layer III item (a 60 s file by lame, its
# frames repeated) and plays both through the wav player under Wine:
# wavplayer/run.sh [x86_64|i686]. The peak memory after the long item is
# about that after the short one.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
arch=${1:-i686}
bin="$top/build/$arch/bin"
[ -x "$bin/wavplayer_bench.exe" ] || "$top/scripts/build.sh" "$arch"
work="$top/build/bench-wavplayer"
mkdir -p "$work"
cd "$work"
if [ ! -s minute.mp3 ]; then
  python3 "$top/player/tests/layer3/make_signal.py" music.raw 44100 2 60 music
  lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m j -b 128 \
    music.raw minute.mp3 2>/dev/null
  rm -f music.raw
fi
[ -s item-10min.mp3 ] || for _ in $(seq 10); do cat minute.mp3; done > item-10min.mp3
[ -s item-3h.mp3 ] || for _ in $(seq 180); do cat minute.mp3; done > item-3h.mp3
printf '[TezWavPlayer.dll]\r\nspeed=5000\r\n' > TezPlayers.inx
# shellcheck source=../../scripts/wine-env.sh
source "$top/scripts/wine-env.sh"
trap wine_env_down EXIT
wine_env_up "$top/build/env" "$arch"
echo "Build: $arch"
"$WINE" "$bin/wavplayer_bench.exe" item-10min.mp3 item-3h.mp3
