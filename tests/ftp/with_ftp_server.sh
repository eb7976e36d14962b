#!/usr/bin/env bash
# with_ftp_server.sh -- COMMAND [ARGS...]
# Starts the local FTP test server on a free port of 127.0.0.1, serving the
# working folder, runs COMMAND with BRINDALE_FTP_PORT set (under $WINE when
# COMMAND is a Windows program), and stops the server again.
set -u
# shellcheck source=ftp_server.sh
source "$(cd "$(dirname "$0")" && pwd)/ftp_server.sh"
[ "${1:-}" = "--" ] && shift
trap ftp_server_down EXIT
ftp_server_up . || exit 1
case "$1" in
  *.exe) "${WINE:?WINE is not set}" "$@" ;;
  *) "$@" ;;
esac
