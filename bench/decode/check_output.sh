#!/usr/bin/env bash
# Keeps or checks what the decoder makes of the benchmark files and of the
# Layer III and Layer II test signals: check_output.sh save|compare.
# save writes the decoded PCM of the current build as the reference;
# compare decodes again and fails when a sample moved by more than one.
set -euo pipefail
mode=${1:?save or compare}
top=$(cd "$(dirname "$0")/../.." && pwd)
here="$top/bench/decode"
[ -x "$top/build/x86_64/bin/decode_raw.exe" ] || "$top/scripts/build.sh" x86_64
work="$top/build/bench-decode"
mkdir -p "$work/corpus" "$work/reference" "$work/out"
[ -s "$work/music192.mp2" ] && [ -s "$work/music128.mp3" ] || {
  echo "run bench/decode/run.sh first: it makes the benchmark files" >&2
  exit 2
}
cd "$work/corpus"
# Every Layer III test file.
WINE=true sh "$top/player/tests/layer3/with_encoded_files.sh" true
# Layer II: joint stereo, mono, LSF.
if [ ! -s l2_joint.mp2 ]; then
  python3 "$top/player/tests/layer3/make_signal.py" s.raw 44100 2 3 music
  python3 "$top/player/tests/layer3/make_signal.py" m.raw 44100 1 3 music
  python3 "$top/player/tests/layer3/make_signal.py" lsf.raw 22050 2 3 music
  twolame --quiet -r -s 44100 -N 2 -m j -b 160 s.raw l2_joint.mp2
  twolame --quiet -r -s 44100 -N 1 -m m -b 96 m.raw l2_mono.mp2
  twolame --quiet -r -s 22050 -N 2 -m s -b 64 lsf.raw l2_lsf.mp2
  twolame --quiet -r -s 44100 -N 2 -m d -b 192 -p s.raw l2_dual_crc.mp2
  rm -f s.raw m.raw lsf.raw
fi
files=("$work/music192.mp2" "$work/music128.mp3" "$work"/corpus/*.mp3 "$work"/corpus/*.mp2)
args=()
for f in "${files[@]}"; do
  args+=("$f" "$work/out/$(basename "$f").raw")
done
# shellcheck source=../../scripts/wine-env.sh
source "$top/scripts/wine-env.sh"
trap wine_env_down EXIT
wine_env_up "$top/build/env-check"
"$WINE" "$top/build/x86_64/bin/decode_raw.exe" "${args[@]}"
status=0
for f in "${files[@]}"; do
  name=$(basename "$f").raw
  if [ "$mode" = save ]; then
    cp "$work/out/$name" "$work/reference/$name"
    echo "$name: $(md5sum <"$work/out/$name" | cut -c1-32)"
  else
    python3 "$here/compare_pcm.py" "$work/reference/$name" "$work/out/$name" || status=1
  fi
done
exit $status
