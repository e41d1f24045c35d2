#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12.
# Idempotent: packages already present are left alone, and apt is not
# touched at all when nothing is missing.
set -euo pipefail

# Both wines: the 32-bit one runs the shipped DLL where the kernel runs
# 32-bit programs; the 64-bit one runs the x86-64 test build everywhere.
packages=(
  cmake ninja-build
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32
  binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32
  binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 xvfb xauth
  googletest
  locales
  zip
)

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_if_needed dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ] || [ "${need_update:-0}" = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  sudo_if_needed apt-get update -q
  if [ "${#missing[@]}" -gt 0 ]; then
    sudo_if_needed apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi

# Japanese folder names cross from wine into Linux file names as UTF-8, which
# needs a real ja_JP.UTF-8 locale on the Linux side.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sudo_if_needed localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi

echo "setup: all build and test tools are present"
