#!/usr/bin/env bash
# Makes a wine prefix for the tests: created once, dialogs unmanaged (they
# close faster), and a spare drive letter T: mapped to a scratch folder so a
# test can choose a drive root, whose path already ends in "\".
# Usage: prepare-wineprefix.sh PREFIX
set -euo pipefail
prefix=$1
# Wine itself, not scripts/wine-run.sh, which calls this script for a prefix
# that is not there yet.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32

if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1 || true
fi
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
mkdir -p "$prefix/drive_t"
ln -sfn ../drive_t "$prefix/dosdevices/t:"
# Waits for the settings to reach the disk, but not for a wine program that
# never ends.
timeout 60 wineserver -w 2>/dev/null || true
echo "wine prefix ready: $prefix"
