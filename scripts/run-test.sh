#!/usr/bin/env bash
# run-test.sh COMMAND...: ctest's runner of one test. Inside the Wine
# environment of the test run (wine_env_up), runs COMMAND in one of its own
# (wine_env_own), named after the test's working folder, and removes it
# afterwards. A Windows program (*.exe) is started under $WINE; anything
# else (a script that starts a peer around the program) runs as it is.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=wine-env.sh
source "$top/scripts/wine-env.sh"
own="$BRINDALE_ENV/own/${PWD##*/}"
wine_env_own "$own" || exit 1
trap 'wine_env_down; rm -rf "$own"' EXIT
case "$1" in
  *.exe) "$WINE" "$@" ;;
  *) "$@" ;;
esac
