#!/usr/bin/env bash
# Runs a Windows program under wine in the project's own prefix, quietly:
# a 32-bit program under 32-bit wine in build/wineprefix, an x86-64 one
# under 64-bit wine in build-x64/wineprefix, unless TREBBO_WINEPREFIX names
# another. The prefix is made on first use. Where the machine runs no 32-bit
# programs (or under TREBBO_NO_32BIT=1), a 32-bit one is not started: this
# says why and exits with 77, which ctest counts as skipped. Where the
# kernel runs them, a 32-bit wine that does not run is a failure, exit
# status 1.
# Usage: wine-run.sh PROGRAM [ARGUMENTS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"

if [ "$(pe_machine "$1")" = x86-64 ]; then
  loader=$wine64_loader arch=win64 build=build-x64
else
  check_32bit
  if [ -n "$no_32bit" ]; then
    echo "$script_name: $no_32bit, so the 32-bit program $1 does not run here; the x86-64 build's programs, in build-x64/, run instead" >&2
    exit 77
  fi
  loader=$wine32_loader arch=win32 build=build
fi
export WINEPREFIX="${TREBBO_WINEPREFIX:-$root/$build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=$arch WINELOADER=$loader
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "$script_name: making the wine prefix $WINEPREFIX (once, takes a while)" >&2
  step "making the wine prefix $WINEPREFIX" \
    "$root/scripts/prepare-wineprefix.sh" "$WINEPREFIX" "$arch" >/dev/null
fi
# Wine's helper processes say "X connection to :N broken" (or "XIO: fatal IO
# error ... after N requests") when the virtual display of xvfb-run goes away
# at the end: noise, not an error.
exec "$loader" "$@" 2> >(grep --line-buffered -v -E '^(X connection to |XIO: |  +after [0-9]+ requests)' >&2)
