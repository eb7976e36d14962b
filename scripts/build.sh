#!/usr/bin/env bash
# Configures and builds one target with its tests:
# build.sh x86_64|i686 [extra cmake args]
# i686 is the system's 32-bit target; x86_64 is the same sources built for
# 64-bit Windows, run where the host cannot execute 32-bit code.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-x86_64}; shift || true
dir="$top/build/$arch"
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-$arch.cmake" \
  -DBRINDALE_TESTS=ON "$@" >/dev/null
cmake --build "$dir" -j "${BRINDALE_JOBS:-$(nproc)}" -- -k 0
