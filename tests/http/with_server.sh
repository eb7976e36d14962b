#!/usr/bin/env bash
# with_server.sh [--proxy-auth CREDENTIALS] -- PROGRAM [ARGS...]
# Starts the local test server on a free port of 127.0.0.1, runs PROGRAM
# under $WINE with BRINDALE_HTTP_PORT set, and stops the server again.
set -u
here=$(cd "$(dirname "$0")" && pwd)
server_args=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do server_args+=("$1"); shift; done
shift
portfile=$(mktemp -u "${TMPDIR:-/tmp}/brindale-http-port.XXXXXX")
python3 "$here/server.py" "$portfile" "${server_args[@]}" </dev/null >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$portfile"' EXIT
for _ in $(seq 100); do [ -s "$portfile" ] && break; sleep 0.05; done
[ -s "$portfile" ] || { echo "test server did not start" >&2; exit 1; }
BRINDALE_HTTP_PORT=$(cat "$portfile")
export BRINDALE_HTTP_PORT
"${WINE:?WINE is not set}" "$@"
