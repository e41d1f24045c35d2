#!/usr/bin/env bash
# Prints a DLL's size and how many functions it imports, in all and per DLL:
# run after each link of the shipped plug-in, so that growth shows in the
# build log. A report, not a test: it fails only on a missing file or tool,
# or on a listing it cannot read (a DLL named with no function counted).
# Usage: dll-size-report.sh FILE
set -euo pipefail
file=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

bytes=$(stat -c %s "$file")
# In objdump's import tables each DLL's functions follow its heading, one a
# line, up to a blank line. The heading is "vma:  Hint/Ord Member-Name
# Bound-To" up to binutils 2.43, "vma:     Ordinal  Hint  Member-Name
# Bound-To" from 2.44 on.
"$objdump" -p "$file" | awk -v name="$(basename "$file")" -v bytes="$bytes" '
  /^\tDLL Name: / { dll = $3; order[++dlls] = dll; next }
  /^\tvma: +(Hint\/Ord|Ordinal +Hint) / { listing = 1; next }
  listing && NF == 0 { listing = 0; next }
  listing { count[dll]++; total++ }
  END {
    per_dll = unread = ""
    for (i = 1; i <= dlls; i++) {
      per_dll = per_dll (i > 1 ? ", " : "") order[i] " " count[order[i]] + 0
      if (!count[order[i]]) unread = unread " " order[i]
    }
    # A DLL is imported for at least one function.
    if (unread != "") {
      printf "dll-size-report: %s: no function counted for%s; objdump lists them under a heading this report does not read\n",
             name, unread > "/dev/stderr"
      exit 1
    }
    printf "%s: %d bytes (%.1f KiB), %d imported functions (%s)\n",
           name, bytes, bytes / 1024, total, per_dll
  }'
