#!/usr/bin/env bash
# Quick start, second command: builds if needed and runs every test, under
# wine on a virtual X display (the tests open real dialogs): first the
# 32-bit build's, on the shipped DLL, then the x86-64 build's, the same
# suite on the same sources built for x86-64. Where the machine runs no
# 32-bit programs, the 32-bit build's entries that need the real DLL running
# are reported skipped; the release zip, the real DLL's file and the
# scripts' own decisions are checked all the same. A broken 32-bit wine is
# no such machine: it stops the script. Extra arguments go to both ctest
# runs. Exits 0 only when everything that ran passed and nothing was skipped
# but for the machine's reason.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

# Setup's own last line says what it could not install and what to do.
scripts/setup.sh >/dev/null || exit
# The verdict at the end is only as sound as the script that reaches it:
# the scripts' own check, which runs this one on a failing suite, comes
# first, and its failure stops the command before any verdict.
step "checking the scripts' own decisions" "${TREBBO_SCRIPTS_CHECK:-tests/scripts_test.sh}" build/scripts-check
check_32bit
if [ -z "$no_32bit" ]; then
  echo "$script_name: this machine runs 32-bit x86 programs: every test runs on the real DLL, then the whole suite again on the x86-64 build."
else
  echo "$script_name: $no_32bit, so the tests that need the real DLL running are skipped; the release zip, the real DLL's file and the scripts are checked, and the whole suite runs on the x86-64 build."
fi

# Runs one build's tests, with this machine's reason to skip them ("" for
# none), and notes its tally; returns non-zero when they failed.
run_tests() {
  local build=$1 preset=$2 reason=$3 log status=0 line
  shift 3
  log=$(mktemp)
  xvfb-run -a ctest --preset "$preset" "$@" | tee "$log" || status=$?
  line=$(ctest_tally "$build" "$log" "$status" "$reason") || status=1
  rm -f "$log"
  tally+=("$line")
  return "$status"
}
tally=()
failed=0

echo
echo "== the 32-bit build (build/): the shipped DLL"
step "configuring the 32-bit build" cmake --preset default >/dev/null
step "building the 32-bit build" cmake --build --preset default
run_tests "the 32-bit build" default "$no_32bit" "$@" || failed=1

echo
echo "== the x86-64 build (build-x64/): the same sources for x86-64, under 64-bit wine"
step "configuring the x86-64 build" cmake --preset x86-64 >/dev/null
step "building the x86-64 build" cmake --build --preset x86-64
run_tests "the x86-64 build" x86-64 "" "$@" || failed=1

echo
for line in "${tally[@]}"; do echo "$script_name: $line"; done
exit "$failed"
