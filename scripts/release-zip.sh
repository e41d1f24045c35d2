#!/usr/bin/env bash
# Makes the release zip a user downloads, with exactly these entries in this
# order: trebbo.auf, readme.txt (the user guide, CRLF, Shift_JIS),
# readme_en.txt (the English guide, CRLF, UTF-8 with a byte-order mark, so
# that Notepad reads it as UTF-8 whatever the system's code page) and
# LICENSE.txt (the licence, CRLF). Prints the zip's SHA-256 and the
# packages that made it.
# Usage: release-zip.sh ZIP DATE STAGE_DIR DLL README_UTF8 README_EN_UTF8 LICENSE
#
# Reproducible: the same inputs give the same zip bytes in any folder at any
# time. The files are staged with the release date as their time and mode
# 644, and zipped by Info-ZIP with -X, which stores no owner and no extended
# timestamps, in the time zone UTC. CMake's own zip writers (cmake -E tar
# --format=zip, CPack) cannot do this: they record each file's inode change
# time, which no option sets, so two builds never give the same bytes.
set -euo pipefail
source "$(dirname "$0")/common.sh"
zip=$1 date=$2 stage=$3 dll=$4 readme=$5 readme_en=$6 license=$7
export TZ=UTC LC_ALL=C

# No zip from an earlier build is left to look like this one's.
rm -f "$zip"
rm -rf "$stage"
mkdir -p "$stage"
cp "$dll" "$stage/trebbo.auf"

crlf() { sed 's/\r$//; s/$/\r/' "$1"; }

# A character Shift_JIS cannot hold fails the build, naming its line. iconv
# does not refuse them all: it writes some (the wave dash U+301C, the minus
# sign U+2212) as the look-alikes Shift_JIS has, so the guide must also
# decode back to itself.
if ! crlf "$readme" | iconv -f UTF-8 -t CP932 >"$stage/readme.txt" ||
  ! iconv -f CP932 -t UTF-8 "$stage/readme.txt" | cmp -s - <(crlf "$readme"); then
  number=0
  while IFS= read -r line; do
    number=$((number + 1))
    line=${line%$'\r'}
    [ "$(printf '%s' "$line" | iconv -f UTF-8 -t CP932 2>/dev/null | iconv -f CP932 -t UTF-8)" = "$line" ] ||
      echo "release-zip: the user guide's line $number has a character Shift_JIS cannot hold: $line" >&2
  done <"$readme"
  exit 1
fi

# Bytes that are not UTF-8 fail the build; a byte-order mark already in the
# source is not doubled.
if ! iconv -f UTF-8 -t UTF-8 "$readme_en" >/dev/null; then
  echo "release-zip: the English guide is not UTF-8: $readme_en" >&2
  exit 1
fi
{ printf '\357\273\277'; crlf "$readme_en" | sed '1s/^\xEF\xBB\xBF//'; } >"$stage/readme_en.txt"

crlf "$license" >"$stage/LICENSE.txt"
chmod 644 "$stage"/*
touch -d "$date 00:00:00" "$stage"/*

# zip adds to an existing archive, so it writes a fresh one beside the stage.
rm -f "$stage.zip"
(cd "$stage" && zip -X -D -q "$stage.zip" trebbo.auf readme.txt readme_en.txt LICENSE.txt)
mkdir -p "$(dirname "$zip")"
mv "$stage.zip" "$zip"
echo "$(basename "$zip"): $(stat -c %s "$zip") bytes, sha256 $(sha256sum "$zip" | cut -d' ' -f1), made with $(release_toolchain)"
