#!/usr/bin/env bash
# The scripts' own decisions, with stand-in wine loaders that record their
# calls: the probe's answer to a 32-bit loader that runs, one the kernel
# refuses (ENOEXEC) and a missing one; what wine-run.sh starts under
# TREBBO_NO_32BIT=1; how test.sh's tally counts skipped entries.
# Usage: scripts_test.sh WORK
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$work" && mkdir -p "$work/prefix" && touch "$work/prefix/system.reg" || exit 1
# Whatever the run that started this test learnt or was told stays out.
unset TREBBO_32BIT_PROBED TREBBO_NO_32BIT TREBBO_WINE32_LOADER TREBBO_WINE64_LOADER
export TREBBO_WINEPREFIX=$work/prefix

for name in wine32 wine64; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$name" "$work" >"$work/$name"
done
printf '\0\0\0\0' >"$work/refused"   # no format the kernel knows: ENOEXEC
chmod +x "$work/wine32" "$work/wine64" "$work/refused"
# The headers wine-run.sh tells the programs apart by.
pe() { { printf 'MZ'; head -c 58 /dev/zero; printf '\x40\0\0\0PE\0\0%b' "$1"; } >"$work/$2"; }
pe '\x4c\x01' program32.exe
pe '\x64\x86' program64.exe

# Runs wine-run.sh with the environment given; sets status, said (stderr)
# and calls (what the stand-in loaders were asked, one line each).
run() {
  rm -f "$work/calls"
  status=0
  env "$@" "$root/scripts/wine-run.sh" "$program" one two 2>"$work/said" >/dev/null || status=$?
  said=$(cat "$work/said")
  calls=$(cat "$work/calls" 2>/dev/null)
}
# expect WHAT STATUS CALLS [TEXT...]: the last run ended with STATUS, made
# exactly CALLS and said each TEXT.
expect() {
  local what=$1 expected_status=$2 expected_calls=$3 text
  shift 3
  [ "$status" = "$expected_status" ] || fail "$what: exit status $status, expected $expected_status"
  [ "$calls" = "$expected_calls" ] ||
    fail "$what: the loaders were called as '$calls', expected '$expected_calls'"
  for text; do [[ $said == *"$text"* ]] || fail "$what: does not say '$text', says '$said'"; done
}

program=$work/program32.exe
run TREBBO_WINE32_LOADER="$work/wine32"
expect "a 32-bit loader that runs" 0 "wine32 --version"$'\n'"wine32 $program one two"
run TREBBO_WINE32_LOADER="$work/refused"
expect "a loader the kernel refuses" 77 "" "Exec format error" "ia32_emulation=on" "$program does not run"
run TREBBO_WINE32_LOADER="$work/missing"
expect "a missing loader" 1 "" "loader $work/missing does not run" "No such file or directory" \
  "scripts/setup.sh" "TREBBO_NO_32BIT=1"
run TREBBO_WINE32_LOADER="$work/wine32" TREBBO_NO_32BIT=1
expect "a 32-bit program under the switch" 77 "" "TREBBO_NO_32BIT=1 is set" "$program does not run"
program=$work/program64.exe
run TREBBO_WINE32_LOADER="$work/missing" TREBBO_WINE64_LOADER="$work/wine64" TREBBO_NO_32BIT=1
expect "an x86-64 program under the switch" 0 "wine64 $program one two"

# test.sh's tally, from a real ctest run: one entry passes, one is skipped.
mkdir -p "$work/ctest"
cat >"$work/ctest/CTestTestfile.cmake" <<'EOF'
add_test(ran true)
add_test(declined sh -c "exit 77")
set_tests_properties(declined PROPERTIES SKIP_RETURN_CODE 77)
EOF
ctest --test-dir "$work/ctest" >"$work/ctest.log" 2>&1 || fail "ctest failed: $(cat "$work/ctest.log")"
# The tally's line with this machine's reason to skip ("" for none), as said.
tally() {
  status=0 calls=""
  said=$(source "$root/scripts/common.sh" && ctest_tally build "$work/ctest.log" 0 "$1") || status=$?
}
tally "the kernel's reason"
expect "a skip for the machine's reason" 0 "" \
  "build: 1 passed; skipped, not passed: declined (the kernel's reason)"
tally ""
expect "a skip where none may be" 1 "" "build: 1 passed; skipped, not passed: declined (nothing may be skipped here); FAILED"

[ "$failures" -eq 0 ] || { echo "$failures check(s) of the scripts failed"; exit 1; }
echo "the scripts' decisions: as expected"
