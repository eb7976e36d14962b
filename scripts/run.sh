#!/usr/bin/env bash
# The main job: sets up the machine, builds, and runs the system end to end
# under Wine, on the 32-bit build where this host executes 32-bit code
# (host-arch.sh), else on the 64-bit build.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
probe=$("$top/scripts/host-arch.sh")
read -r arch why <<<"$probe"
echo "Recording with the $arch build ($why)"
"$top/scripts/build.sh" "$arch"
# shellcheck source=wine-env.sh
source "$top/scripts/wine-env.sh"
trap wine_env_down EXIT
wine_env_up "$top/build/env" "$arch"
"$top/scripts/record-demo.sh"
