#!/usr/bin/env bash
# The scripts' own decisions, natively, with stand-ins that record their
# calls for the wine loaders, the package tools and the build tools; each
# part below says what it holds the scripts to.
# Usage: scripts_test.sh WORK
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$work" && mkdir -p "$work/prefix" "$work/bin" && touch "$work/prefix/system.reg" || exit 1
# Whatever the run that started this test learnt or was told stays out.
unset TREBBO_32BIT_PROBED TREBBO_NO_32BIT TREBBO_WINE32_LOADER TREBBO_WINE64_LOADER
export TREBBO_WINEPREFIX=$work/prefix CALLS=$work/calls
real_ctest=$(command -v ctest)

# stand_in NAME BODY: a program on $work/bin that runs BODY.
stand_in() { printf '#!/usr/bin/env bash\n%s\n' "$2" >"$work/bin/$1" && chmod +x "$work/bin/$1"; }
for name in wine32 wine64 cmake sleep localedef scripts-check; do stand_in "$name" "echo \"$name \$*\" >>\"\$CALLS\""; done
stand_in runs 'exit 0'
stand_in not-executable 'exit 0' && chmod -x "$work/bin/not-executable"
printf '\0\0\0\0' >"$work/bin/refused"   # no format the kernel knows: ENOEXEC
chmod +x "$work/bin/refused"
stand_in sudo 'exec "$@"'
stand_in dpkg '[ "$1" = --print-foreign-architectures ] || echo "dpkg $*" >>"$CALLS"'
stand_in dpkg-query 'case " $MISSING " in *" $3 "*) exit 1 ;; esac; printf "install ok installed"'
stand_in locale 'echo ja_JP.utf8'
# apt-get records its command and packages, without the options before them
# but for the pins of a preferences file; its first UPDATE_FAILS updates fail
# as on a mirror mid-sync, and an install of INSTALL_FAILS fails.
stand_in apt-get 'while [ "${1#-}" != "$1" ]; do
  [ "$1" != -o ] || shift
  [[ $1 != Dir::Etc::Preferences=* ]] || pins=" ($(grep -h "^Pin:" "${1#*=}"))"
  shift
done
echo "apt-get $*${pins:-}" >>"$CALLS"
if [ "$1" = update ] && [ "$(grep -c "^apt-get update" "$CALLS")" -le "${UPDATE_FAILS:-0}" ]; then
  echo "E: Failed to fetch http://mirror/dists/x/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 10.0.0.1 80]"
  exit 100
elif [ "$1" = install ] && [[ " $* " == *" ${INSTALL_FAILS:-} "* ]]; then
  echo "E: Unable to correct problems, you have held broken packages."
  exit 100
fi'
stand_in xvfb-run 'shift; exec "$@"'
# ctest runs the entries of $work/ctest-PRESET.
stand_in ctest "echo \"ctest \$*\" >>\"\$CALLS\"; exec $real_ctest --test-dir $work/ctest-\$2"
# The headers wine-run.sh tells the programs apart by.
pe() { { printf 'MZ'; head -c 58 /dev/zero; printf '\x40\0\0\0PE\0\0%b' "$1"; } >"$work/$2"; }
pe '\x4c\x01' program32.exe
pe '\x64\x86' program64.exe

# run [NAME=VALUE...] SCRIPT [ARGUMENT...]: runs one of the scripts with the
# environment given; sets status, said (what it printed) and calls (what the
# stand-ins were asked, one line each).
scripts=$root/scripts
run() {
  rm -f "$CALLS"
  status=0
  said=$(env "$@" 2>&1) || status=$?
  calls=$(cat "$CALLS" 2>/dev/null)
}
# expect WHAT STATUS CALLS [TEXT...]: the last run ended with STATUS, made
# exactly CALLS and said each TEXT.
expect() {
  local what=$1 expected_status=$2 expected_calls=$3 text
  shift 3
  [ "$status" = "$expected_status" ] || fail "$what: exit status $status, expected $expected_status"
  [ "$calls" = "$expected_calls" ] ||
    fail "$what: the stand-ins were called as '$calls', expected '$expected_calls'"
  for text; do [[ $said == *"$text"* ]] || fail "$what: does not say '$text', says '$said'"; done
}
# wine LOADER KERNEL [NAME=VALUE...]: wine-run.sh with that 32-bit loader,
# the kernel's answer that of the program KERNEL.
wine() {
  run TREBBO_WINE32_LOADER="$work/bin/$1" TREBBO_I386_PROGRAM="$work/bin/$2" "${@:3}" \
    "$scripts/wine-run.sh" "$program" one two
}

# The kernel question's program, as the kernel would load it.
(source "$root/scripts/common.sh" && write_i386_program "$work/i386")
header=$(i686-w64-mingw32-readelf -h -l -W "$work/i386" 2>&1)
for text in "Class: ELF32" "Type: EXEC" "Machine: Intel 80386" "Entry point address: 0x8048054" \
  "LOAD 0x000000 0x08048000 0x08048000 0x0005b 0x0005b R E"; do
  [[ $(tr -s ' ' <<<"$header") == *"$text"* ]] || fail "the i386 program: no '$text' in: $header"
done
[ "$(stat -c %s "$work/i386")" = $((0x5b)) ] || fail "the i386 program is not the 91 bytes it loads"
program=$work/program32.exe
run TREBBO_WINE32_LOADER="$work/bin/wine32" "$scripts/wine-run.sh" "$program"
[ "$status" = 0 ] || [ "$status" = 77 ] || fail "the kernel's own answer: exit status $status: $said"

wine wine32 runs
expect "a kernel and a 32-bit loader that run" 0 "wine32 --version"$'\n'"wine32 $program one two"
wine refused runs
expect "a loader refused where the kernel runs 32-bit programs" 1 "" \
  "loader $work/bin/refused does not run (exit status 126" "Exec format error" "scripts/setup.sh" "TREBBO_NO_32BIT=1"
wine missing runs
expect "a missing loader where the kernel runs 32-bit programs" 1 "" "No such file or directory"
wine missing refused
expect "a kernel that refuses 32-bit programs" 77 "" "Exec format error" "ia32_emulation=on" "$program does not run"
wine missing not-executable
expect "a kernel that answers neither way" 1 "" "cannot tell whether this kernel runs 32-bit x86 programs"
wine wine32 runs TREBBO_NO_32BIT=1
expect "a 32-bit program under the switch" 77 "" "TREBBO_NO_32BIT=1 is set" "$program does not run"
program=$work/program64.exe
run TREBBO_WINE64_LOADER="$work/bin/wine64" TREBBO_NO_32BIT=1 "$scripts/wine-run.sh" "$program" one two
expect "an x86-64 program under the switch" 0 "wine64 $program one two"

# setup.sh on a fresh machine, whose package tools are the stand-ins.
setup() { run PATH="$work/bin:$PATH" TREBBO_I386_PROGRAM="$work/bin/$1" "${@:2}" "$scripts/setup.sh"; }
updates="apt-get update"$'\n'"sleep 10"$'\n'"apt-get update"$'\n'"sleep 10"$'\n'"apt-get update"
again="run scripts/setup.sh again later (a package mirror mid-sync mends itself)"
setup runs MISSING="xauth zip wine32:i386" UPDATE_FAILS=2 INSTALL_FAILS=wine32:i386
expect "setup where the kernel runs 32-bit programs" 1 \
  "dpkg --add-architecture i386"$'\n'"$updates"$'\n'"apt-get install xauth zip"$'\n'"apt-get install wine32:i386"
[ "$(tail -n 1 <<<"$said")" = "setup.sh: apt could not install the 32-bit wine, wine32:i386 (exit status 100: E: Unable to correct problems, you have held broken packages.); $again, or set TREBBO_NO_32BIT=1 to build and test without the real DLL on purpose" ] ||
  fail "setup's last line when wine32 cannot be installed: $said"
setup runs MISSING="zip wine32:i386" UPDATE_FAILS=3
expect "setup where the kernel runs 32-bit programs, the i386 index mid-sync" 0 \
  "dpkg --add-architecture i386"$'\n'"$updates"$'\n'"apt-get install zip (Pin: release n=x)"$'\n'"apt-get install wine32:i386 (Pin: release n=x)" \
  "the i386 index of x could not be fetched, so this install leaves its updates aside"
setup refused MISSING="zip wine32:i386" UPDATE_FAILS=3
expect "setup where the kernel refuses them, the mirror mid-sync" 0 "$updates"$'\n'"apt-get install zip" \
  "neither the i386 architecture nor wine32:i386 is added"
setup refused MISSING="zip" UPDATE_FAILS=3 INSTALL_FAILS=zip
[ "$status:$(tail -n 1 <<<"$said")" = "1:setup.sh: apt could not install what the build and the tests need (exit status 100: E: Failed to fetch http://mirror/dists/x/main/binary-i386/Packages.xz File has unexpected size (374820 != 376004). Mirror sync in progress?; E: Unable to correct problems, you have held broken packages.); $again" ] ||
  fail "setup's last line when the build's packages cannot be installed: status $status, $said"

# test.sh itself, its builds the stand-ins and its ctest runs real ones: a
# skipped entry is never counted as passed, and fails a build where nothing
# may be skipped; an entry that fails in either build fails the command,
# whatever tee makes of ctest's status.
mkdir -p "$work/skipping" "$work/failing"
cat >"$work/skipping/CTestTestfile.cmake" <<'EOF'
add_test(ran true)
add_test(declined sh -c "exit 77")
set_tests_properties(declined PROPERTIES SKIP_RETURN_CODE 77)
EOF
printf 'add_test(ran true)\nadd_test(broken false)\n' >"$work/failing/CTestTestfile.cmake"
builds="scripts-check build/scripts-check"$'\n'$(for preset in default x86-64; do
  printf 'cmake --preset %s\ncmake --build --preset %s\nctest --preset %s -R x\n' "$preset" "$preset" "$preset"
done)
declined="skipped, not passed: declined"
switch="TREBBO_NO_32BIT=1 is set, for a run as on a machine that runs no 32-bit x86 programs"
for failing in x86-64 default; do
  if [ "$failing" = x86-64 ]; then
    ln -sfn skipping "$work/ctest-default" && ln -sfn failing "$work/ctest-x86-64"
    tally="the 32-bit build: 1 passed; $declined ($switch)"$'\n'"test.sh: the x86-64 build: 1 passed; FAILED"
  else
    ln -sfn failing "$work/ctest-default" && ln -sfn skipping "$work/ctest-x86-64"
    tally="the 32-bit build: 1 passed; FAILED"$'\n'"test.sh: the x86-64 build: 1 passed; $declined (nothing may be skipped here); FAILED"
  fi
  run PATH="$work/bin:$PATH" TREBBO_SCRIPTS_CHECK="$work/bin/scripts-check" TREBBO_NO_32BIT=1 "$scripts/test.sh" -R x
  expect "test.sh, an entry failing in the $failing build" 1 "$builds" "test.sh: $tally"
done
run PATH="$work/bin:$PATH" TREBBO_SCRIPTS_CHECK=false TREBBO_NO_32BIT=1 "$scripts/test.sh"
expect "test.sh, the scripts' own check failing" 1 "" "test.sh: checking the scripts' own decisions failed"

# The size report on one DLL's imports as two objdumps list them.
listing() {
  printf 'The Import Tables (interpreted .idata section contents)\n vma:            Hint    Time      Forward  DLL       First\n'
  printf '\n\tDLL Name: ole32.dll\n\t%s\n\t%s\n\t%s\n\n\tDLL Name: USER32.dll\n\t%s\n\t%s\n\n' "$@"
}
listing "vma:  Hint/Ord Member-Name Bound-To" $'32538\t   17  CoCreateInstance' $'3254c\t   66  CoInitializeEx' \
  "vma:  Hint/Ord Member-Name Bound-To" $'32594\t  606  MessageBoxA' >"$work/listing-2.40"
listing "vma:     Ordinal  Hint  Member-Name  Bound-To" "00032244  <none>  0011  CoCreateInstance" \
  "00032248  <none>  0042  CoInitializeEx" "vma:     Ordinal  Hint  Member-Name  Bound-To" \
  "00032260  <none>  025e  MessageBoxA" >"$work/listing-2.44"
sed 's/Hint\/Ord/Hint/' "$work/listing-2.40" >"$work/listing-unknown"
for version in 2.40 2.44 unknown; do
  stand_in objdump "cat $work/listing-$version"
  status=0 calls=""
  said=$(OBJDUMP=$work/bin/objdump "$root/scripts/dll-size-report.sh" "$work/i386" 2>&1) || status=$?
  if [ "$version" = unknown ]; then
    expect "the size report on a listing it cannot read" 1 "" "no function counted for ole32.dll USER32.dll"
  else
    expect "the size report on binutils $version's listing" 0 "" \
      "i386: 91 bytes (0.1 KiB), 3 imported functions (ole32.dll 2, USER32.dll 1)"
  fi
done

[ "$failures" -eq 0 ] || { echo "$failures check(s) of the scripts failed"; exit 1; }
echo "the scripts' decisions: as expected"
