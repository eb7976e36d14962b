#!/usr/bin/env bash
# run-test.sh [--with PATH]... COMMAND...: ctest's runner of one test. Empties
# the test's working folder (nothing of an earlier run reaches this one),
# copies each PATH into it, then, inside the Wine environment of the test run
# (wine_env_up), runs COMMAND in one of its own (wine_env_own), named after
# the working folder, and removes it afterwards. A Windows program (*.exe) is
# started under $WINE; anything else (a script that starts a peer around the
# program) runs as it is.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=wine-env.sh
source "$top/scripts/wine-env.sh"
[ "$(basename "$(dirname "$PWD")")" = testrun ] ||
  { echo "run-test.sh: $PWD is not a test's working folder" >&2; exit 1; }
find . -mindepth 1 -delete || exit 1
while [ "${1:-}" = --with ]; do
  cp -r "$2" . || exit 1
  shift 2
done
own="$BRINDALE_ENV/own/${PWD##*/}"
wine_env_own "$own" || exit 1
trap 'wine_env_down; rm -rf "$own"' EXIT
case "$1" in
  *.exe) "$WINE" "$@" ;;
  *) "$@" ;;
esac
