#!/usr/bin/env bash
# The main job: sets up the machine, builds, and runs the system end to end
# under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" x86_64
# shellcheck source=wine-env.sh
source "$top/scripts/wine-env.sh"
trap wine_env_down EXIT
wine_env_up "$top/build/env"
"$top/scripts/record-demo.sh"
