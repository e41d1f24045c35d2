#!/usr/bin/env bash
# Runs a Windows program under wine in the project's own prefix, quietly.
# The prefix is build/wineprefix, the one the tests and the demonstration
# use, unless TREBBO_WINEPREFIX names another; it is made on first use.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${TREBBO_WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-run.sh: making the wine prefix $WINEPREFIX (once, takes a while)" >&2
  "$root/scripts/prepare-wineprefix.sh" "$WINEPREFIX" >/dev/null
fi
# Wine's helper processes say "X connection to :N broken" (or "XIO: fatal IO
# error ... after N requests") when the virtual display of xvfb-run goes away
# at the end: noise, not an error.
exec wine "$@" 2> >(grep --line-buffered -v -E '^(X connection to |XIO: |  +after [0-9]+ requests)' >&2)
