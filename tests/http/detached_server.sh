# shellcheck shell=bash
# Source this file. Starts and stops a local test server (a Python script)
# with its streams detached, so that it holds no pipe of the caller.

# detached_server_start PYTHON SCRIPT FOLDER [ARGS...] runs SCRIPT in
# FOLDER; the script writes the port it listens on into the file named by
# its first argument. Sets detached_server_pid and detached_server_port;
# returns 1 when no port came.
detached_server_start() {
  local python=$1 script=$2 folder=$3 portfile _
  shift 3
  portfile=$(mktemp -u "${TMPDIR:-/tmp}/brindale-port.XXXXXX")
  (cd "$folder" && exec "$python" "$script" "$portfile" "$@") </dev/null >/dev/null 2>&1 &
  detached_server_pid=$!
  detached_server_port=
  for _ in $(seq 100); do [ -s "$portfile" ] && break; sleep 0.05; done
  [ -s "$portfile" ] || return 1
  detached_server_port=$(cat "$portfile")
  rm -f "$portfile"
}

# detached_server_stop PID stops a server started above; an empty PID is
# nothing to stop.
detached_server_stop() {
  [ -n "${1:-}" ] || return 0
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
  return 0
}
