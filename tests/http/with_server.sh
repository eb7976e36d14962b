#!/usr/bin/env bash
# with_server.sh [--proxy-auth CREDENTIALS] -- PROGRAM [ARGS...]
# Starts the local test server on a free port of 127.0.0.1, runs PROGRAM
# under $WINE with BRINDALE_HTTP_PORT set, and stops the server again.
set -u
# shellcheck source=local_server.sh
source "$(cd "$(dirname "$0")" && pwd)/local_server.sh"
server_args=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do server_args+=("$1"); shift; done
shift
trap local_server_down EXIT
local_server_up . "${server_args[@]}" || exit 1
"${WINE:?WINE is not set}" "$@"
