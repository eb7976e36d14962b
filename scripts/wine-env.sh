# Source this file. wine_env_up <folder> [x86_64|i686] gives the caller a
# private X display, a Wine prefix with its own persistent wineserver and a
# wave-out device that writes raw PCM to a file; wine_env_down stops what
# wine_env_up started. x86_64 (the default) runs 64-bit programs in a 64-bit
# prefix; i686 runs 32-bit programs under the 32-bit loader in a 32-bit
# prefix of its own (host-arch.sh says whether the host can). $WINE is the
# loader and $BRINDALE_ARCH the build the environment runs.
# wine_env_own <folder>, called inside such an environment, gives the caller
# one of its own made from it: a copy of its prefix, another display, server
# and sink. Tests run side by side that way share no focus, windows,
# registry, mailslots or wave-out.
# Every background process has its streams detached, so no pipe of the
# caller stays open after the caller ends.

WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine
WINESERVER64=/usr/lib/wine/wineserver64

wine_env_down() {
  [ -n "${BRINDALE_ENV:-}" ] || return 0
  local own
  for own in "$BRINDALE_ENV"/own/*/; do
    [ -d "$own" ] && (BRINDALE_ENV=${own%/} wine_env_down)
  done
  local prefix
  for prefix in "$BRINDALE_ENV/wineprefix" "$BRINDALE_ENV/wineprefix32"; do
    [ -d "$prefix" ] || continue
    WINEPREFIX="$prefix" "$WINESERVER64" -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" "$WINESERVER64" -w >/dev/null 2>&1 || true
  done
  if [ -f "$BRINDALE_ENV/xvfb.pid" ]; then
    kill "$(cat "$BRINDALE_ENV/xvfb.pid")" >/dev/null 2>&1 || true
    rm -f "$BRINDALE_ENV/xvfb.pid"
  fi
  return 0
}

wine_env_up() {
  mkdir -p "$1"
  BRINDALE_ENV=$(cd "$1" && pwd)
  export BRINDALE_ENV
  wine_env_down

  export BRINDALE_ARCH=${2:-x86_64}
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d" WINESERVER="$WINESERVER64"
  case "$BRINDALE_ARCH" in
    x86_64)
      unset WINEARCH
      export WINEPREFIX="$BRINDALE_ENV/wineprefix" WINELOADER="$WINE64" WINE="$WINE64" ;;
    i686)
      export WINEPREFIX="$BRINDALE_ENV/wineprefix32" WINEARCH=win32
      export WINELOADER="$WINE32" WINE="$WINE32" ;;
    *) echo "wine_env_up: unknown build $BRINDALE_ARCH" >&2; return 1 ;;
  esac
  wine_env_start
}

wine_env_own() {
  [ -n "${BRINDALE_ENV:-}" ] && [ -d "${WINEPREFIX:-}" ] ||
    { echo "wine_env_own: not inside a Wine environment (wine_env_up)" >&2; return 1; }
  local from=$WINEPREFIX
  mkdir -p "$1"
  BRINDALE_ENV=$(cd "$1" && pwd)
  wine_env_down
  export WINEPREFIX="$BRINDALE_ENV/${from##*/}"
  rm -rf "$WINEPREFIX"
  # The loader only reads the programs and libraries: links to them do.
  # Everything else (registry, settings, small files) is a copy.
  cp -al "$from" "$WINEPREFIX"
  find "$WINEPREFIX" -type f \( -size -64k -o ! \( -iname '*.dll' -o -iname '*.exe' \
    -o -iname '*.drv' -o -iname '*.sys' -o -iname '*.ocx' -o -iname '*.acm' \
    -o -iname '*.cpl' -o -iname '*.tlb' -o -iname '*.nls' -o -iname '*.ttf' \) \) \
    -exec sh -c 'for f; do cp -p "$f" "$f.own" && mv -f "$f.own" "$f"; done' sh {} +
  wine_env_start
}

# The sink, display and server of the environment in $BRINDALE_ENV, and its
# prefix booted.
wine_env_start() {
  # Wave-out: ALSA's default device is a file sink.
  mkdir -p "$BRINDALE_ENV/home"
  export BRINDALE_WAVE_SINK="$BRINDALE_ENV/wave-out.raw"
  : >"$BRINDALE_WAVE_SINK"
  printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "raw" }\n' \
    "$BRINDALE_WAVE_SINK" >"$BRINDALE_ENV/home/.asoundrc"
  export HOME="$BRINDALE_ENV/home"

  # A free X display of our own.
  rm -f "$BRINDALE_ENV/display"
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
    3>"$BRINDALE_ENV/display" </dev/null >/dev/null 2>&1 &
  echo $! >"$BRINDALE_ENV/xvfb.pid"
  local i
  for i in $(seq 100); do
    [ -s "$BRINDALE_ENV/display" ] && break
    sleep 0.1
  done
  [ -s "$BRINDALE_ENV/display" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n 1 "$BRINDALE_ENV/display")"

  # The server first, detached; then boot the prefix (slow only the first
  # time). The server stopped once writes the registry out, so the prefix is
  # whole on disk for wine_env_own; then it runs on for the caller.
  setsid "$WINESERVER64" -p </dev/null >/dev/null 2>&1 &
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
  "$WINESERVER64" -k >/dev/null 2>&1 || true
  "$WINESERVER64" -w >/dev/null 2>&1 || true
  setsid "$WINESERVER64" -p </dev/null >/dev/null 2>&1 &
}
