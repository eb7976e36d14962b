# shellcheck shell=bash
# Source this file. ftp_server_up FOLDER starts the local FTP test server on
# a free port of 127.0.0.1 serving FOLDER and exports BRINDALE_FTP_PORT;
# ftp_server_down stops it. The server's streams are detached, so it holds
# no pipe of the caller.

ftp_server_py="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/server.py"

# The system's interpreter carries the FTP server library.
ftp_server_python() {
  local p
  for p in /usr/bin/python3 python3; do
    if "$p" -c 'import pyftpdlib' 2>/dev/null; then echo "$p"; return 0; fi
  done
  echo "no python3 with pyftpdlib" >&2
  return 1
}

ftp_server_up() {
  local folder=$1 portfile python
  python=$(ftp_server_python) || return 1
  portfile=$(mktemp -u "${TMPDIR:-/tmp}/brindale-ftp-port.XXXXXX")
  (cd "$folder" && exec "$python" "$ftp_server_py" "$portfile") </dev/null >/dev/null 2>&1 &
  BRINDALE_FTP_SERVER=$!
  local _
  for _ in $(seq 100); do [ -s "$portfile" ] && break; sleep 0.05; done
  if [ ! -s "$portfile" ]; then
    echo "local FTP server did not start" >&2
    return 1
  fi
  BRINDALE_FTP_PORT=$(cat "$portfile")
  rm -f "$portfile"
  export BRINDALE_FTP_PORT
}

ftp_server_down() {
  [ -n "${BRINDALE_FTP_SERVER:-}" ] || return 0
  kill "$BRINDALE_FTP_SERVER" 2>/dev/null || true
  wait "$BRINDALE_FTP_SERVER" 2>/dev/null || true
  BRINDALE_FTP_SERVER=
  return 0
}
