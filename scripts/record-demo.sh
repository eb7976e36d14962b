#!/usr/bin/env bash
# A recording run of a channel of three wave items and an MPEG audio item
# that TezHttpGet fetches from a local HTTP server on 127.0.0.1, and a wave
# item that TezFtpGet fetches from a local FTP server on 127.0.0.1; TezLog
# posts the item log to the local HTTP server. The controller Pellomar.exe
# starts with the device program and opens Halvorn's basket; the job opens
# the full window with a double click and presses "Record Now" with a mouse
# click (xdotool on the display), and the controller starts the Recorder,
# which records the channel. Prints what Halvorn's window shows during and
# after the run, the controller's trace, where the recording is, its length,
# and what became of each item; saves screenshots of Halvorn's window during
# and after the run (halvorn-during.png, halvorn-after.png) beside the run's
# files. Needs a build and a running Wine environment (wine-env.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/${BRINDALE_ARCH:-x86_64}"
bin="$build/bin"
demo="$top/build/demo"
rm -rf "$demo"
mkdir -p "$demo"/{data/news,wav,site,files}
mkdir -p "$demo/ftp-site"
cd "$demo"

# The web site of the items: site/, served below /files/.
# shellcheck source=../tests/http/local_server.sh
source "$top/tests/http/local_server.sh"
# The FTP site of the FTP item: ftp-site/.
# shellcheck source=../tests/ftp/ftp_server.sh
source "$top/tests/ftp/ftp_server.sh"
trap 'local_server_down; ftp_server_down' EXIT
local_server_up "$demo/site"
ftp_server_up "$demo/ftp-site"

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
tone("site/first.wav", 523, 1.0); tone("site/second.wav", 659, 1.0); tone("site/third.wav", 784, 1.0)
tone("fourth.wav", 880, 1.0)
tone("ftp-site/fifth.wav", 988, 1.0)
PY
lame --quiet -b 128 fourth.wav site/fourth.mp3

crlf() { sed 's/$/\r/'; }
crlf >TezParam.inx <<INI
[GlobalParams]
showIntro=0
[DragDrop]
autoOpenBasketOnStart=1
tezID=demo
[AutoUpdate]
active=0
[Folders]
dataFolder=data
wavFolder=wav
tempFolder=temp
filesFolder=files
[Recorder]
logFile=1
sendActivityLog=1
logUrl=http://127.0.0.1:${BRINDALE_HTTP_PORT}/log/200
storeRecState=1
playOpening=1
maxItemLength=1800
startRecordMusic=music
startCassetteMessage=hello
endCassetteMessage=bye
[Extensions]
defaultExtension=wav
[Dialer]
useDialer=1
dialerDll1=TezRasDialer.dll
dialerName=Brindale Dial-Up
user=listener
pwd=$(printf '\xfa\xfb\xf3\xf1')
[Notifications]
minRecSpace=1
[MediaTypes]
count=2
recor001=FileDisk
recor002=Device
selectedMediaType=FileDisk
virtualMediaType=FileDisk
imagesPath=images\\
[FileDisk]
dllName=TezFileMedia.dll
record2File=1
playerFormat=wav
outputFolder=Recordings
image=filedisk.bmp
note=Recordings are written as wave files.
configDll=TezDiskConfig.dll
[Device]
image=device.bmp
note=A portable player on a serial port.
mediaUsingComPort=1
mediaComPort=1
mediaLength=60
INI
# The dial-up entry the dialer lists.
crlf >TezRasDialer.inx <<'INI'
[Entries]
names=Brindale Dial-Up
INI
# The media types' pictures.
mkdir -p images
convert -size 64x48 xc:'#2060c0' -fill white -draw 'rectangle 8,8 56,40' BMP3:images/filedisk.bmp
convert -size 64x48 xc:'#20a040' -fill white -draw 'circle 32,24 32,8' BMP3:images/device.bmp
convert -size 64x48 xc:'#808080' BMP3:images/img3.bmp
crlf >TezPlayers.inx <<'INI'
[Entry List]
numberEntries=1
entry1=TezWavPlayer.dll
[TezWavPlayer.dll]
id=wav
identifiers=wav,mp3,mp2
INI
crlf >TezItemOperators.inx <<'INI'
[Entry List]
numberEntries=3
entry1=TezHttpGet.dll
entry2=TezFtpGet.dll
entry3=TezLog.dll
[TezHttpGet.dll]
id=http
identifiers=http
[TezFtpGet.dll]
id=ftp
identifiers=ftp
[TezLog.dll]
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
[Data Types]
numberTypes=1
type1=1
defaultChannel=1
[Entry List]
numberEntries=1
entry1=1
[1]
name=Local channel
active=1
workingDir=news\
iniFile=news.inx
dllName=TezChannelOp.dll
butBitmap=NEWS
butBitmapDll=ChannelButtons.dll
INI
cp "$bin/ChannelButtons.dll" data/news/
# Halvorn's window positions: the basket at the top right, the full window
# at the top left; no sounds, no sliding.
crlf >Halvorn.inx <<'INI'
[Params]
audioEffects=0
slideNumJumps=0
startWithWindows=0
[DragDropSize]
Left=700
Top=20
Width=87
Height=81
[ViewerSize]
Left=20
Top=20
Width=560
Height=420
INI
{
  printf '[Entry List]\nnumberEntries=5\nmaxIndex=5\n'
  n=0
  for item in first.wav second.wav third.wav fourth.mp3; do
    n=$((n + 1))
    printf '[%d]\nlink=http://127.0.0.1:%s/files/%s\nrecStatus=1\nitemStatus=1\ndescription=%s tone\n' \
      "$n" "$BRINDALE_HTTP_PORT" "$item" "${item%.*}"
  done
  printf '[5]\nlink=ftp://127.0.0.1:%s/fifth.wav\nrecStatus=1\nitemStatus=1\ndescription=fifth tone\n' \
    "$BRINDALE_FTP_PORT"
} | crlf >data/news/news.inx

# The system as a user installs it (its programs, libraries and pictures;
# no test program) in the folder of the data, started with "/GETDIR" (the
# controller then works in its own folder). The job's own tools that read
# Halvorn's window and close the controller run from the build.
cmake --install "$build" --prefix "$demo" --component system >/dev/null
# The installed version, recorded where an installer records it; About shows it.
version=$(sed -n 's/^set(BRINDALE_VERSION \(.*\))$/\1/p' "$top/cmake/brindale.cmake")
"$WINE" reg add 'HKLM\Software\Brindale' /v Version /t REG_SZ /d "$version" /f </dev/null >/dev/null 2>&1
"$WINE" ./Pellomar.exe /GETDIR </dev/null >/dev/null 2>&1 &
controller=$!
# The controller opens Halvorn's basket; a double click on it opens the full
# window, and a click on its "Record Now" button starts the run.
look() { "$WINE" "$bin/HalvornLook.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
click_on() {
  local at
  at=$(look pos "$1") || { echo "Halvorn shows no $1" >&2; return 1; }
  # shellcheck disable=SC2086
  xdotool mousemove $at click --repeat "${2:-1}" --delay 120 1
}
shot() {
  local window
  window=$(xdotool search --name '^Brindale Media Manager$' | head -n 1)
  import -window "${window:-root}" "$demo/$1" && echo "Screenshot: $demo/$1"
}
look pos pnlBackgroundImg >/dev/null && sleep 3  # the basket has settled
if click_on pnlBackgroundImg 2 && sleep 2 && click_on speedRecordNow; then
  if look wait running; then
    sleep 2
    echo "While recording, Halvorn shows:"
    look labels | sed 's/^/  /'
    shot halvorn-during.png
  fi
  look wait idle || echo "The run did not end" >&2
  sleep 1
  shot halvorn-after.png
  echo "After the run, Halvorn shows:"
  look report | sed 's/^/  /'
else
  echo "The run could not be started from Halvorn's window" >&2
fi
"$WINE" "$bin/PellomarCommand.exe" close </dev/null || echo "The controller did not close" >&2
wait "$controller" || true
local_server_down
ftp_server_down
# The item log that TezLog posted to the web server.
logged=$(grep -c '^demo,' "$demo/site/log-received.txt" 2>/dev/null) || true
echo "Item log: ${logged:-0} item line(s) posted to the web server"
tr -d '\r' <pellomar.log | sed 's/^/controller: /' || true

# A line per item, then the recording and its length.
python3 -u - "$demo" <<'PY'
import configparser, glob, os, sys, wave
demo = sys.argv[1]
items = configparser.ConfigParser(interpolation=None, strict=False, allow_no_value=True)
items.optionxform = str
items.read(os.path.join(demo, "data", "news", "news.inx"))
missed = 0
for name in sorted((s for s in items.sections() if s.isdigit()), key=int):
    item = items[name]
    size = item.get("lengthBytes") or ""
    fetched = f"fetched ({size} bytes)" if size.isdigit() and int(size) > 0 else "not fetched"
    if item.get("recStatus") == "4":
        recorded = "recorded"
    else:
        missed += 1
        recorded = f"not recorded (status {item.get('recStatus')}: {item.get('errorHint') or ''})"
    print(f"Item {name}: {item.get('link')}: {fetched}, {recorded}")
recordings = sorted(glob.glob(os.path.join(demo, "Recordings", "Recording-*.wav")))
if not recordings:
    sys.exit(f"No recording was made; see {demo}/Recorder.log")
try:
    with wave.open(recordings[-1]) as w:
        seconds = w.getnframes() / w.getframerate()
except (wave.Error, EOFError) as error:
    sys.exit(f"Recording {recordings[-1]} is not a readable wave file: {error}")
print(f"Recording: {recordings[-1]} ({seconds:.1f} s, {os.path.getsize(recordings[-1])} bytes)")
if missed:
    sys.exit(f"{missed} item(s) not recorded; see {demo}/Recorder.log")
PY
