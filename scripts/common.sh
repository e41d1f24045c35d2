# What the project's scripts share, sourced by them: the steps a script
# names when they fail, what this machine can run, and which wine runs a
# program.

# The name a script's messages start with.
script_name=$(basename "$0")

# A command that ends the script (set -e) without a step of its own still
# names itself.
trap 'echo "$script_name: line $LINENO: $BASH_COMMAND failed (exit status $?)" >&2' ERR

# Runs one step of a script; a failure ends the script with a line that
# names the step and its exit status.
step() {
  local what=$1 status=0
  shift
  "$@" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "$script_name: $what failed (exit status $status)" >&2
    exit "$status"
  fi
}

# Wine's loaders; either may be set from outside, for tests and unusual
# installs.
wine32_loader=${TREBBO_WINE32_LOADER:-/usr/lib/wine/wine}
wine64_loader=${TREBBO_WINE64_LOADER:-/usr/lib/wine/wine64}

# Sets no_32bit to one sentence saying why this machine runs no 32-bit x86
# programs, or to "" where it runs them. It tries one, wine's own 32-bit
# loader, once: the answer is exported (TREBBO_32BIT_PROBED) to every script
# and test started from here. Only two answers skip the 32-bit programs: the
# kernel refusing the loader (ENOEXEC, which bash reports as "Exec format
# error" with status 126), or TREBBO_NO_32BIT=1, which makes any machine
# take that path. Any other failure of the loader ends the script: a missing
# wine32 would otherwise pass for a kernel that cannot run it, and the
# shipped DLL would never run.
check_32bit() {
  if [ -z "${TREBBO_32BIT_PROBED:-}" ]; then
    local output status=0
    if [ "${TREBBO_NO_32BIT:-0}" != 0 ]; then
      TREBBO_32BIT_PROBED="TREBBO_NO_32BIT=$TREBBO_NO_32BIT is set, for a run as on a machine that runs no 32-bit x86 programs"
    else
      output=$("$wine32_loader" --version 2>&1) || status=$?
      if [ "$status" -eq 0 ]; then
        TREBBO_32BIT_PROBED=yes
      elif [ "$status" -eq 126 ] && [[ $output == *"Exec format error"* ]]; then
        TREBBO_32BIT_PROBED="this machine's kernel runs no 32-bit x86 programs (Exec format error: its IA-32 emulation is off, which the kernel setting ia32_emulation=on turns on)"
      else
        # What it said, without the shell's own "script: line N:" before it.
        output=$(sed 's/^.*: line [0-9]*: //' <<<"$output" | paste -sd' ' -)
        echo "$script_name: wine's 32-bit loader $wine32_loader does not run (exit status $status${output:+: $output}); install what is missing with scripts/setup.sh, or set TREBBO_NO_32BIT=1 to run without the real DLL on purpose" >&2
        exit 1
      fi
    fi
    export TREBBO_32BIT_PROBED
  fi
  if [ "$TREBBO_32BIT_PROBED" = yes ]; then no_32bit=""; else no_32bit=$TREBBO_32BIT_PROBED; fi
}

# The machine a Windows program is built for, from its PE header: i386,
# x86-64, or "unknown" for anything else (a missing file included).
pe_machine() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || header=""
  case $([ -n "$header" ] && od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' ') in
    014c) echo i386 ;;
    8664) echo x86-64 ;;
    *) echo unknown ;;
  esac
}

# Prints one build's line of scripts/test.sh's tally from its ctest output
# LOG: how many entries passed, which were skipped (never counted as
# passed) and whether ctest failed (its exit STATUS). REASON is this
# machine's reason to skip the build's entries, "" where none may be
# skipped: a skipped entry then fails the run as surely as a failed one,
# since it proved nothing. Returns 1 when the line is a failure.
ctest_tally() {
  local build=$1 log=$2 status=$3 reason=$4 passed skipped
  passed=$(grep -cE 'Test +#[0-9]+: .* Passed ' "$log" || true)
  skipped=$(grep -oE 'Test +#[0-9]+: [^ ]+ \.*\*\*\*Skipped' "$log" | awk '{print $3}' | paste -sd, - | sed 's/,/, /g' || true)
  if [ -n "$skipped" ] && [ -z "$reason" ]; then
    reason="nothing may be skipped here"
    status=1
  fi
  echo "$build: $passed passed${skipped:+; skipped, not passed: $skipped ($reason)}$([ "$status" -eq 0 ] || echo "; FAILED")"
  [ "$status" -eq 0 ]
}
