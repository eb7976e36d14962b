#!/usr/bin/env bash
# Sets up the machine, builds both targets with their tests, and runs every
# test under Wine: on the 32-bit build where this host executes 32-bit code
# (host-arch.sh), else on the 64-bit build. Extra arguments go to ctest
# (e.g. -R mail). BRINDALE_SKIP_I686=1 skips the 32-bit build and tests the
# 64-bit one.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
if [ -n "${BRINDALE_SKIP_I686:-}" ]; then
  arch=x86_64 why="BRINDALE_SKIP_I686 is set"
else
  probe=$("$top/scripts/host-arch.sh")
  read -r arch why <<<"$probe"
fi
echo "Testing the $arch build ($why)"
[ -n "${BRINDALE_SKIP_I686:-}" ] || "$top/scripts/build.sh" i686
"$top/scripts/build.sh" x86_64
# shellcheck source=wine-env.sh
source "$top/scripts/wine-env.sh"
trap wine_env_down EXIT
wine_env_up "$top/build/env" "$arch"
cd "$top/build/$arch"
rc=0
ctest --output-on-failure -j8 "$@" || rc=$?
echo "Tested build: $arch ($why)"
exit "$rc"
