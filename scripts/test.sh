#!/usr/bin/env bash
# Sets up the machine, builds the 32-bit target and the test build, and runs
# every test under Wine. Extra arguments go to ctest (e.g. -R mail).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
[ -n "${BRINDALE_SKIP_I686:-}" ] || "$top/scripts/build.sh" i686
"$top/scripts/build.sh" x86_64
# shellcheck source=wine-env.sh
source "$top/scripts/wine-env.sh"
trap wine_env_down EXIT
wine_env_up "$top/build/env"
cd "$top/build/x86_64"
ctest --output-on-failure -j8 "$@"
