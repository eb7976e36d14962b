# shellcheck shell=bash
# Source this file. local_server_up FOLDER [SERVER ARGS...] starts the local
# test server on a free port of 127.0.0.1 with FOLDER as its working folder
# (served below /files/) and exports BRINDALE_HTTP_PORT; local_server_down
# stops it.

# shellcheck source=detached_server.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/detached_server.sh"
local_server_py="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/server.py"

local_server_up() {
  local folder=$1 started=0
  shift
  detached_server_start python3 "$local_server_py" "$folder" "$@" || started=1
  BRINDALE_HTTP_SERVER=$detached_server_pid
  if [ $started -ne 0 ]; then
    echo "local HTTP server did not start" >&2
    return 1
  fi
  export BRINDALE_HTTP_PORT=$detached_server_port
}

local_server_down() {
  detached_server_stop "${BRINDALE_HTTP_SERVER:-}"
  BRINDALE_HTTP_SERVER=
}
