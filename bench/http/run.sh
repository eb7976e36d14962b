#!/usr/bin/env bash
# Builds the x86_64 tree, brings up the Wine environment and runs the HTTP
# benchmark against the local test server.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
"$top/scripts/build.sh" x86_64
# shellcheck source=../../scripts/wine-env.sh
source "$top/scripts/wine-env.sh"
trap wine_env_down EXIT
wine_env_up "$top/build/env-bench"
mkdir -p "$top/build/x86_64/benchrun"
cd "$top/build/x86_64/benchrun"
"$top/tests/http/with_server.sh" -- "$top/build/x86_64/bin/http_bench.exe" "$@"
