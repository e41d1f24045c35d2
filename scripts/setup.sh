#!/usr/bin/env bash
# Installs everything the build and the tests need, on Debian 12 or 13.
# Idempotent: packages already present are left alone, and apt is not
# touched at all when nothing is missing. The kernel is asked first: where
# it runs no 32-bit x86 programs (or under TREBBO_NO_32BIT=1), nothing
# i386 is added, since nothing i386 could run. A package index that cannot
# be fetched (a mirror mid-sync) fails nothing by itself: only a failed
# install does, and its last line says what apt could not get and what to do.
set -euo pipefail
source "$(dirname "$0")/common.sh"

# The 64-bit wine runs the x86-64 test build everywhere; the 32-bit one, in
# its own install below, runs the shipped DLL where the kernel runs 32-bit
# programs.
packages=(
  cmake ninja-build
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32
  binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32
  binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth
  googletest
  locales
  zip
)
packages_32bit=(wine32:i386)

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
missing() {
  local p
  for p; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

ask_32bit
if [ -n "$no_32bit" ]; then
  packages_32bit=()
  echo "$script_name: $no_32bit, so neither the i386 architecture nor wine32:i386 is added"
elif ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_if_needed dpkg --add-architecture i386
  need_update=1
fi
mapfile -t missing_packages < <(missing "${packages[@]}")
mapfile -t missing_32bit < <(missing "${packages_32bit[@]}")

# Every apt run is bounded, and each download tried again by apt itself.
install_limit=1800
apt_get() {
  local limit=$1
  shift
  sudo_if_needed timeout -k 30 "$limit" apt-get -q -y --no-install-recommends \
    -o Acquire::Retries=3 -o DPkg::Lock::Timeout=120 "$@"
}
# apt's own error lines in LOG (an index it could not fetch, a package it
# could not install and why), on one line; none, where it printed none.
apt_errors() {
  { grep -E '^(E|W): |^ [^ ].* : (Pre)?Depends: ' "$1" || true; } | sed 's/ *\[IP: [^]]*\]//' |
    tr -s ' \t' ' ' | paste -sd';' - | sed 's/;/; /g'
}
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
update_errors=""
# Installs PACKAGES (WHAT they are, for the message); a failure ends setup
# with one sentence: what apt could not get, and the ways on (WAYS).
install() {
  local what=$1 ways=$2 status=0 errors
  shift 2
  apt_get "$install_limit" "${pin[@]}" install "$@" 2>&1 | tee "$logs/install" || status=$?
  [ "$status" -ne 0 ] || return 0
  errors=$update_errors$(apt_errors "$logs/install")
  [ "$status" -ne 124 ] || errors="${errors:+$errors; }no end within $install_limit s"
  echo "$script_name: apt could not install $what (exit status $status${errors:+: $errors}); $ways" >&2
  exit 1
}

if [ "${#missing_packages[@]}" -gt 0 ] || [ "${#missing_32bit[@]}" -gt 0 ] || [ "${need_update:-0}" = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  # A mirror mid-sync may mend itself in seconds; if not, the install goes
  # on with the indexes apt has, which serve it unless it needs the one that
  # failed. That one's errors are kept for the message, should it fail.
  for run in 1 2 3; do
    [ "$run" -eq 1 ] || sleep 10
    status=0
    apt_get 600 update 2>&1 | tee "$logs/update" || status=$?
    [ "$status" -ne 0 ] || break
  done
  [ "$status" -eq 0 ] || update_errors=$(apt_errors "$logs/update")
  update_errors=${update_errors:+$update_errors; }
  # A library comes in both architectures at one version only. Where a
  # suite's i386 index could not be fetched, its amd64 updates may have no
  # i386 twin that apt knows of, and wine32:i386 would not install: then both
  # installs leave that suite's updates aside.
  pin=()
  suites=$(sed -n 's|^E: Failed to fetch .*/dists/\([^/]*\)/.*binary-i386/.*|\1|p' "$logs/update" | sort -u)
  if [ -n "$suites" ] && [ "${#missing_32bit[@]}" -gt 0 ]; then
    for suite in $suites; do printf 'Package: *\nPin: release n=%s\nPin-Priority: 100\n\n' "$suite"; done \
      >"$logs/preferences"
    cat /etc/apt/preferences >>"$logs/preferences" 2>/dev/null || true
    pin=(-o "Dir::Etc::Preferences=$logs/preferences")
    echo "$script_name: the i386 index of $(echo $suites) could not be fetched, so this install leaves its updates aside (apt-get upgrade takes them once the mirror has synced)"
  fi
  again="run scripts/setup.sh again later (a package mirror mid-sync mends itself)"
  if [ "${#missing_packages[@]}" -gt 0 ]; then
    install "what the build and the tests need" "$again" "${missing_packages[@]}"
  fi
  if [ "${#missing_32bit[@]}" -gt 0 ]; then
    install "the 32-bit wine, ${missing_32bit[*]}" \
      "$again, or set TREBBO_NO_32BIT=1 to build and test without the real DLL on purpose" \
      "${missing_32bit[@]}"
  fi
fi

# Japanese folder names cross from wine into Linux file names as UTF-8, which
# needs a real ja_JP.UTF-8 locale on the Linux side.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sudo_if_needed localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi

echo "$script_name: all build and test tools are present"
