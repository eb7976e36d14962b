#!/bin/sh
# Makes Layer III test files in the working folder with the encoder from
# known signals, then runs the test program ($1) under Wine. Further
# arguments name the files to make (all when none are named).
# Each file: name rate channels seconds kind, then the encoder's options.
set -e
here=$(dirname "$0")
program=$1
shift
wanted=" $* "
make() {
  name=$1 rate=$2 channels=$3 seconds=$4 kind=$5
  shift 5
  case "$wanted" in
    "  " | *" $name "*) ;;
    *) return 0 ;;
  esac
  if [ ! -s "$name.mp3" ]; then
    python3 "$here/make_signal.py" "$name.raw" "$rate" "$channels" "$seconds" "$kind"
    khz=$(python3 -c "print($rate / 1000)")
    lame --quiet -r -s "$khz" --bitwidth 16 --signed --little-endian "$@" \
      "$name.raw" "$name.mp3" 2>/dev/null
  fi
}
make cbr128_joint   44100 2 2 music -m j -b 128
make ms_forced      44100 2 2 music -m f -b 128
make cbr192_stereo  44100 2 2 music -m s -b 192
make cbr320_music   44100 2 2 music -m s -b 320
make cbr320_tones   44100 2 2 tones -m s -b 320
make vbr_joint      44100 2 2 music -m j -V 2
make cbr64_mono     44100 1 2 music -m m -b 64
make crc_joint48    48000 2 2 music -m j -b 160 -p
make cbr96_joint32  32000 2 2 music -m j -b 96
make lsf_joint22    22050 2 2 music -m f -b 64
make lsf_mono24     24000 1 2 music -m m -b 48
make lsf_stereo16   16000 2 2 music -m s -b 32 -p
make left_only      44100 2 2 left  -m s -b 128
make high_tone      44100 2 2 high  -m s -b 192
# Layer III, Layer II and Layer III again in one stream.
case "$wanted" in
  *" layer_change "*)
    make cbr128_joint 44100 2 2 music -m j -b 128
    if [ ! -s layer_change.mp3 ]; then
      twolame --quiet -r -s 44100 -N 2 -m j -b 192 cbr128_joint.raw layer2.mp2 2>/dev/null
      cat cbr128_joint.mp3 layer2.mp2 cbr128_joint.mp3 >layer_change.mp3
    fi
    ;;
esac
exec "$WINE" "$program"
