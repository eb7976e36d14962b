#!/usr/bin/env bash
# A recording run of a local channel with three wave items through the real
# Recorder.exe and the test controller; prints where the recording is.
# Needs the x86_64 build and a running Wine environment (wine-env.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bin="$top/build/x86_64/bin"
demo="$top/build/demo"
rm -rf "$demo"
mkdir -p "$demo"/{data/news,wav,items,files}
cd "$demo"

# Tones for the opening, the closing and the items.
python3 - <<'PY'
import math, struct, wave
def tone(path, hz, seconds, rate=44100):
    with wave.open(path, "wb") as w:
        w.setnchannels(2); w.setsampwidth(2); w.setframerate(rate)
        frames = bytearray()
        for i in range(int(seconds * rate)):
            v = int(8000 * math.sin(2 * math.pi * hz * i / rate))
            frames += struct.pack("<hh", v, v)
        w.writeframes(bytes(frames))
tone("wav/music.wav", 330, 0.5); tone("wav/hello.wav", 440, 0.5); tone("wav/bye.wav", 220, 0.5)
tone("items/first.wav", 523, 1.0); tone("items/second.wav", 659, 1.0); tone("items/third.wav", 784, 1.0)
PY

crlf() { sed 's/$/\r/'; }
crlf >TezParam.inx <<'INI'
[Folders]
dataFolder=data
wavFolder=wav
tempFolder=temp
filesFolder=files
[Recorder]
logFile=1
storeRecState=1
playOpening=1
startRecordMusic=music
startCassetteMessage=hello
endCassetteMessage=bye
[Extensions]
defaultExtension=wav
[Dialer]
useDialer=1
dialerDll1=TezRasDialer.dll
[Notifications]
minRecSpace=1
[MediaTypes]
selectedMediaType=FileDisk
[FileDisk]
dllName=TezFileMedia.dll
record2File=1
playerFormat=wav
outputFolder=Recordings
INI
crlf >TezPlayers.inx <<'INI'
[Entry List]
numberEntries=1
entry1=TezWavPlayer.dll
[TezWavPlayer.dll]
id=wav
identifiers=wav
INI
crlf >TezItemOperators.inx <<'INI'
[Entry List]
numberEntries=1
entry1=RecPeerLog.dll
[RecPeerLog.dll]
id=log
identifiers=actLog
INI
crlf >TezChannelOperators.inx <<'INI'
[Entry List]
numberEntries=1
entry1=TezChannelOp.dll
[TezChannelOp.dll]
id=channel
identifiers=channel
INI
crlf >data/TezData.inx <<'INI'
[Entry List]
numberEntries=1
entry1=1
[1]
name=Local channel
active=1
workingDir=news\
iniFile=news.inx
dllName=TezChannelOp.dll
INI
{
  printf '[Entry List]\nnumberEntries=3\nmaxIndex=3\n'
  n=0
  for item in first second third; do
    n=$((n + 1))
    printf '[%d]\nlocalFileName=items\\%s.wav\nrecStatus=1\nitemStatus=1\ndescription=%s tone\n' \
      "$n" "$item" "$item"
  done
} | crlf >data/news/news.inx

"$WINE" "$bin/RecTestController.exe" controller.log </dev/null >/dev/null 2>&1 || true
tr -d '\r' <controller.log | grep -E '^(W 1|W 6|EXIT)' | sed 's/^/report: /' || true
recording=$(ls "$demo"/Recordings/Recording-*.wav 2>/dev/null | tail -n 1 || true)
if [ -z "$recording" ]; then
  echo "No recording was made; see $demo/Recorder.log" >&2
  exit 1
fi
echo "Item states: $(tr -d '\r' <data/news/news.inx | grep -c '^recStatus=4') of 3 recorded"
echo "Recording: $recording ($(stat -c %s "$recording") bytes)"
