#!/usr/bin/env bash
# Prints which build runs on this host and why, as "<arch> <reason>":
# "i686 ..." where the host executes 32-bit code under 32-bit Wine, else
# "x86_64 ...". The host is probed once: the kernel must run a 32-bit ELF
# program, 32-bit Wine (wine32:i386) must be installed or installable, and a
# 32-bit Windows program must run under it in a 32-bit prefix, the kind of
# prefix wine-env.sh makes for the i686 build. The answer is kept in
# build/host-arch/result; delete that file to probe again.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="$top/build/host-arch"
result="$dir/result"
WINE32=/usr/lib/wine/wine
WINESERVER64=/usr/lib/wine/wineserver64

if [ -s "$result" ]; then
  cat "$result"
  exit 0
fi
mkdir -p "$dir"

# A static 32-bit ELF program that only exits with status 42.
kernel_runs_32bit() {
  local elf="$dir/exit42"
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$elf"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$elf"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$elf"
  printf '\x00\x00\x00\x00' >>"$elf"
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$elf"
  printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$elf"
  printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >>"$elf"
  chmod +x "$elf"
  local rc=0
  "$elf" </dev/null >/dev/null 2>&1 || rc=$?
  [ "$rc" = 42 ]
}

# Installs 32-bit Wine where apt can; leaves no i386 architecture behind
# when it cannot.
install_wine32() {
  command -v apt-get >/dev/null && [ "$(id -u)" = 0 ] || return 1
  export DEBIAN_FRONTEND=noninteractive
  local added=
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386 || return 1
    added=1
  fi
  if apt-get update -qq && apt-get install -y -qq -o DPkg::Lock::Timeout=300 \
      --no-install-recommends wine32:i386; then
    # What the windows of the tests use beyond the loader's own needs.
    apt-get install -y -qq -o DPkg::Lock::Timeout=300 --no-install-recommends \
      libxcursor1:i386 libxi6:i386 libxrandr2:i386 libxrender1:i386 \
      libxfixes3:i386 libxinerama1:i386 \
      libxcomposite1:i386 libgnutls30:i386 || true
    return 0
  fi
  if [ -n "$added" ]; then
    dpkg --remove-architecture i386 || true
    apt-get update -qq || true
  fi
  return 1
}

# Builds a 32-bit Windows program and runs it in a fresh 32-bit prefix.
wine32_runs_program() {
  local exe="$dir/probe.exe" out="$dir/probe.out"
  printf '#include <stdio.h>\nint main(void) { printf("%%u-bit\\n", (unsigned)(sizeof(void *) * 8)); return 0; }\n' \
    >"$dir/probe.c"
  i686-w64-mingw32-gcc-posix -O2 -o "$exe" "$dir/probe.c" -static >/dev/null 2>&1 || return 1
  rm -rf "$dir/prefix" "$out"
  (
    unset DISPLAY
    export WINEPREFIX="$dir/prefix" WINEARCH=win32 WINEDEBUG=-all \
      WINEDLLOVERRIDES="mscoree=d;mshtml=d" WINELOADER="$WINE32" \
      WINESERVER="$WINESERVER64"
    timeout 300 "$WINE32" "$exe" </dev/null >"$out" 2>/dev/null || true
    "$WINESERVER64" -k </dev/null >/dev/null 2>&1 || true
    "$WINESERVER64" -w </dev/null >/dev/null 2>&1 || true
  )
  rm -rf "$dir/prefix"
  [ "$(tr -d '\r' <"$out" 2>/dev/null)" = "32-bit" ]
}

have_wine32() {
  [ -x "$WINE32" ] || { install_wine32 </dev/null >"$dir/install.log" 2>&1 && [ -x "$WINE32" ]; }
}

if ! kernel_runs_32bit; then
  answer="x86_64 this host cannot execute 32-bit code"
elif ! have_wine32; then
  answer="x86_64 32-bit Wine (wine32:i386) is not installed and could not be installed"
elif ! wine32_runs_program; then
  answer="x86_64 32-bit Wine did not run a 32-bit test program"
else
  answer="i686 this host runs 32-bit programs under 32-bit Wine"
fi
echo "$answer" >"$result.$$"
mv "$result.$$" "$result"
echo "$answer"
