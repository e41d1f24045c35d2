#!/usr/bin/env bash
# Makes a wine prefix for the tests: created once, dialogs unmanaged (they
# close faster), and a spare drive letter T: mapped to a scratch folder so a
# test can choose a drive root, whose path already ends in "\".
# Usage: prepare-wineprefix.sh PREFIX [win32|win64]   (win32 by default)
# Exits with 77 (skipped, for ctest) when a 32-bit prefix is asked for where
# the machine runs no 32-bit programs, or under TREBBO_NO_32BIT=1.
set -euo pipefail
source "$(dirname "$0")/common.sh"
prefix=$1 arch=${2:-win32}
if [ "$arch" = win64 ]; then
  loader=$wine64_loader
else
  check_32bit
  if [ -n "$no_32bit" ]; then
    echo "$script_name: $no_32bit, so the 32-bit wine prefix $prefix is not made; the x86-64 build makes a 64-bit one instead" >&2
    exit 77
  fi
  loader=$wine32_loader
fi
# Wine itself, not scripts/wine-run.sh, which calls this script for a prefix
# that is not there yet.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=$arch
export WINELOADER=$loader

if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  # What it says is kept for the message below; whether the registry
  # reaches the disk tells whether it made the prefix.
  "$loader" wineboot -i >"$prefix.wineboot.log" 2>&1 || true
fi
step "setting the prefix's dialogs unmanaged" \
  "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
mkdir -p "$prefix/drive_t"
ln -sfn ../drive_t "$prefix/dosdevices/t:"
# Waits for the settings to reach the disk, but not for a wine program that
# never ends.
timeout 60 wineserver -w 2>/dev/null || true
if [ ! -f "$prefix/system.reg" ]; then
  echo "$script_name: wine made no registry in $prefix; wineboot said:" >&2
  cat "$prefix.wineboot.log" >&2 2>/dev/null || true
  exit 1
fi
echo "wine prefix ready: $prefix ($arch)"
