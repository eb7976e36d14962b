# shellcheck shell=bash
# Source this file. ftp_server_up FOLDER starts the local FTP test server on
# a free port of 127.0.0.1 serving FOLDER and exports BRINDALE_FTP_PORT;
# ftp_server_down stops it.

# shellcheck source=../http/detached_server.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/../http/detached_server.sh"
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
  local folder=$1 python started=0
  python=$(ftp_server_python) || return 1
  detached_server_start "$python" "$ftp_server_py" "$folder" || started=1
  BRINDALE_FTP_SERVER=$detached_server_pid
  if [ $started -ne 0 ]; then
    echo "local FTP server did not start" >&2
    return 1
  fi
  export BRINDALE_FTP_PORT=$detached_server_port
}

ftp_server_down() {
  detached_server_stop "${BRINDALE_FTP_SERVER:-}"
  BRINDALE_FTP_SERVER=
}
