#!/usr/bin/env bash
# Installs what the build and the tests need. Safe to run again.
set -euo pipefail

need=(wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 xvfb xauth
      cmake ninja-build googletest lame twolame python3 python3-pyftpdlib
      xdotool imagemagick libasound2)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
