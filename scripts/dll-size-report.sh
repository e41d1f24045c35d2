#!/usr/bin/env bash
# Prints a DLL's size and how many functions it imports, in all and per DLL:
# run after each link of the shipped plug-in, so that growth shows in the
# build log. A report, not a test: it fails only on a missing file or tool.
# Usage: dll-size-report.sh FILE
set -euo pipefail
file=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

bytes=$(stat -c %s "$file")
# In objdump's import tables each DLL's functions follow its "Hint/Ord"
# heading, one a line, up to a blank line.
"$objdump" -p "$file" | awk -v name="$(basename "$file")" -v bytes="$bytes" '
  /^\tDLL Name: / { dll = $3; order[++dlls] = dll; next }
  /^\tvma: +Hint\/Ord/ { listing = 1; next }
  listing && NF == 0 { listing = 0; next }
  listing { count[dll]++; total++ }
  END {
    per_dll = ""
    for (i = 1; i <= dlls; i++) {
      per_dll = per_dll (i > 1 ? ", " : "") order[i] " " count[order[i]] + 0
    }
    printf "%s: %d bytes (%.1f KiB), %d imported functions (%s)\n",
           name, bytes, bytes / 1024, total, per_dll
  }'
