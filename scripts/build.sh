#!/usr/bin/env bash
# Configures and builds one target: build.sh x86_64|i686 [extra cmake args]
# x86_64 is the build that runs (tests and main job) under Wine; i686 is the
# system's 32-bit target and is built without tests.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-x86_64}; shift || true
dir="$top/build/$arch"
tests=ON
[ "$arch" = i686 ] && tests=OFF
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-$arch.cmake" \
  -DBRINDALE_TESTS=$tests "$@" >/dev/null
cmake --build "$dir" -j "${BRINDALE_JOBS:-$(nproc)}" -- -k 0
