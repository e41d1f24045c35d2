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

# Writes the smallest i386 Linux program there is into FILE: one ELF
# header, one program header loading the file itself, and seven bytes of
# code that exit with status 0. No compiler and no i386 package is needed.
write_i386_program() {
  {
    # ELF header: magic, 32-bit, little-endian, ELF version 1, System V ABI,
    # padding to 16 bytes;
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    # an executable for i386, version 1, entry 0x08048054 (the code below),
    # program headers at byte 52, no section headers, no flags;
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
    printf '\x00\x00\x00\x00\x00\x00\x00\x00'
    # this header 52 bytes, one program header of 32, no section headers.
    printf '\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
    # Program header: load the file's 91 bytes from offset 0 at 0x08048000,
    # readable and executable, page-aligned.
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
    printf '\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
    # Code: xor ebx,ebx (status 0); xor eax,eax; inc eax (exit); int 0x80.
    printf '\x31\xdb\x31\xc0\x40\xcd\x80'
  } >"$1"
  chmod +x "$1"
}

# What a failed program said, on one line, without the shell's own
# "script: line N:" before it.
one_line() { sed 's/^.*: line [0-9]*: //' <<<"$1" | paste -sd' ' -; }

# Asks the kernel whether it runs 32-bit x86 programs, by starting one
# (TREBBO_I386_PROGRAM names another, for tests): returns 0 where it runs,
# 1 where the kernel refuses it (ENOEXEC, which bash reports as "Exec
# format error" with status 126). Any other outcome answers neither way and
# ends the script.
kernel_runs_32bit() {
  local program=${TREBBO_I386_PROGRAM:-} output status=0
  if [ -z "$program" ]; then
    program=$(mktemp) && write_i386_program "$program"
  fi
  output=$(export LC_ALL=C; "$program" 2>&1) || status=$?
  [ -n "${TREBBO_I386_PROGRAM:-}" ] || rm -f "$program"
  if [ "$status" -eq 0 ]; then
    return 0
  elif [ "$status" -eq 126 ] && [[ $output == *"Exec format error"* ]]; then
    return 1
  fi
  echo "$script_name: cannot tell whether this kernel runs 32-bit x86 programs: the minimal i386 program $program ended with exit status $status${output:+: $(one_line "$output")}; set TMPDIR to a folder that programs may run from, or TREBBO_NO_32BIT=1 to run without the real DLL on purpose" >&2
  exit 1
}

# Sets no_32bit to one sentence saying why the 32-bit x86 programs are not
# run here, or to "" where they are. Only two causes skip them: the kernel
# refusing a 32-bit program (kernel_runs_32bit), or TREBBO_NO_32BIT=1,
# which makes any machine take that path.
ask_32bit() {
  no_32bit=${TREBBO_32BIT_PROBED:-}
  if [ "$no_32bit" = yes ]; then
    no_32bit=""
  elif [ -n "$no_32bit" ]; then
    :
  elif [ "${TREBBO_NO_32BIT:-0}" != 0 ]; then
    no_32bit="TREBBO_NO_32BIT=$TREBBO_NO_32BIT is set, for a run as on a machine that runs no 32-bit x86 programs"
  elif ! kernel_runs_32bit; then
    no_32bit="this machine's kernel runs no 32-bit x86 programs (Exec format error: its IA-32 emulation is off, which the kernel setting ia32_emulation=on turns on)"
  fi
}

# As ask_32bit; where the 32-bit programs are run, wine's 32-bit loader must
# run too, and any failure of it ends the script, whatever the loader said:
# the kernel has shown that it runs 32-bit programs, so a missing or broken
# wine32 never passes for one that cannot. The answer is exported
# (TREBBO_32BIT_PROBED) to every script and test started from here.
check_32bit() {
  local output status=0
  ask_32bit
  if [ -z "$no_32bit" ] && [ "${TREBBO_32BIT_PROBED:-}" != yes ]; then
    output=$("$wine32_loader" --version 2>&1) || status=$?
    if [ "$status" -ne 0 ]; then
      echo "$script_name: wine's 32-bit loader $wine32_loader does not run (exit status $status${output:+: $(one_line "$output")}); install what is missing with scripts/setup.sh, or set TREBBO_NO_32BIT=1 to run without the real DLL on purpose" >&2
      exit 1
    fi
  fi
  export TREBBO_32BIT_PROBED=${no_32bit:-yes}
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

# The Debian packages that make the shipped DLL and the release zip, with
# their versions: a published SHA-256 holds for the zip these make; another
# toolchain makes another DLL, as valid.
release_toolchain() {
  dpkg-query -W -f='${Package} ${Version}\n' g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 zip 2>/dev/null |
    paste -sd, - | sed 's/,/, /g' || true
}
