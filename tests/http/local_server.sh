# shellcheck shell=bash
# Source this file. local_server_up FOLDER [SERVER ARGS...] starts the local
# test server on a free port of 127.0.0.1 with FOLDER as its working folder
# (served below /files/) and exports BRINDALE_HTTP_PORT; local_server_down
# stops it. The server's streams are detached, so it holds no pipe of the
# caller.

local_server_py="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/server.py"

local_server_up() {
  local folder=$1 portfile
  shift
  portfile=$(mktemp -u "${TMPDIR:-/tmp}/brindale-http-port.XXXXXX")
  (cd "$folder" && exec python3 "$local_server_py" "$portfile" "$@") </dev/null >/dev/null 2>&1 &
  BRINDALE_HTTP_SERVER=$!
  local _
  for _ in $(seq 100); do [ -s "$portfile" ] && break; sleep 0.05; done
  if [ ! -s "$portfile" ]; then
    echo "local HTTP server did not start" >&2
    return 1
  fi
  BRINDALE_HTTP_PORT=$(cat "$portfile")
  rm -f "$portfile"
  export BRINDALE_HTTP_PORT
}

local_server_down() {
  [ -n "${BRINDALE_HTTP_SERVER:-}" ] || return 0
  kill "$BRINDALE_HTTP_SERVER" 2>/dev/null || true
  wait "$BRINDALE_HTTP_SERVER" 2>/dev/null || true
  BRINDALE_HTTP_SERVER=
  return 0
}
