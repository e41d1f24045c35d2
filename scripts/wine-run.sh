#!/usr/bin/env bash
# Runs a Windows program under wine in the project's own prefix, quietly.
# TREBBO_WINEPREFIX chooses the prefix (the build puts one in its build dir).
set -euo pipefail
export WINEPREFIX="${TREBBO_WINEPREFIX:-${WINEPREFIX:-$HOME/.wine-trebbo}}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32 2>/dev/null || true
exec wine "$@"
