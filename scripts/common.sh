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

wine32_loader=/usr/lib/wine/wine
wine64_loader=/usr/lib/wine/wine64

# Sets no_32bit to one sentence saying why this machine runs no 32-bit x86
# programs, or to "" where it runs them. It tries one, wine's own 32-bit
# loader, once: the answer is exported (TREBBO_32BIT_PROBED) to every script
# and test started from here. TREBBO_NO_32BIT=1 makes any machine take the
# path of one that runs none.
check_32bit() {
  if [ -z "${TREBBO_32BIT_PROBED:-}" ]; then
    local output
    if [ "${TREBBO_NO_32BIT:-0}" != 0 ]; then
      TREBBO_32BIT_PROBED="TREBBO_NO_32BIT=$TREBBO_NO_32BIT is set, for a run as on a machine that runs no 32-bit x86 programs"
    elif output=$("$wine32_loader" --version 2>&1); then
      TREBBO_32BIT_PROBED=yes
    elif [[ $output == *"Exec format error"* ]]; then
      TREBBO_32BIT_PROBED="this machine's kernel runs no 32-bit x86 programs (Exec format error: its IA-32 emulation is off, which the kernel setting ia32_emulation=on turns on)"
    else
      # Without the shell's own "script: line N:" before the reason.
      TREBBO_32BIT_PROBED="wine's 32-bit loader does not run here ($(sed 's/^.*: line [0-9]*: //' <<<"$output" | paste -sd' ' -))"
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
