#!/usr/bin/env bash
# The release zip as a user gets it: exactly trebbo.auf, readme.txt and
# LICENSE.txt, in this order; the DLL the very file in dist/; readme.txt the
# user guide with its placeholders filled in, CRLF line endings, Shift_JIS;
# LICENSE.txt the licence with CRLF line endings. Runs natively, not under
# wine, and reads the zip with CMake's own archive reader.
# Usage: release_archive_test.sh ZIP DLL GUIDE LICENSE VERSION RELEASE_DATE WORK
set -uo pipefail
zip=$1 dll=$2 guide=$3 license=$4 version=$5 release_date=$6 work=$7
export LC_ALL=C

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ -f "$zip" ] || { echo "FAIL: no release zip at $zip"; exit 1; }

entries=$(cmake -E tar tf "$zip" | tr '\n' ' ') || { echo "FAIL: cannot list $zip"; exit 1; }
[ "$entries" = "trebbo.auf readme.txt LICENSE.txt " ] ||
  fail "entries are '$entries', expected 'trebbo.auf readme.txt LICENSE.txt'"

rm -rf "$work" && mkdir -p "$work" && (cd "$work" && cmake -E tar xf "$zip") ||
  { echo "FAIL: cannot extract $zip"; exit 1; }

if [ -f "$work/trebbo.auf" ]; then
  cmp -s "$work/trebbo.auf" "$dll" || fail "trebbo.auf in the zip differs from $dll"
else
  fail "no trebbo.auf in the zip"
fi

# A line ending other than CRLF: a line (of all but the last) without CR
# before its LF, a CR not before an LF, or a last line without its ending.
non_crlf_line() {
  awk 'BEGIN { RS = "\n" } { if (!sub(/\r$/, "") || index($0, "\r")) { print NR; exit } }' "$1"
}
ends_with_newline() { [ "$(tail -c 1 "$1" | od -An -c | tr -d ' ')" = '\n' ]; }

readme=$work/readme.txt
if [ -f "$readme" ]; then
  line=$(non_crlf_line "$readme")
  [ -z "$line" ] || fail "readme.txt line $line does not end with CRLF"
  ends_with_newline "$readme" || fail "readme.txt does not end with CRLF"
  if ! iconv -f CP932 -t UTF-8 "$readme" >"$work/readme-utf8.txt" 2>"$work/iconv.err"; then
    fail "readme.txt is not Shift_JIS: $(cat "$work/iconv.err")"
  else
    sed -i 's/\r$//' "$work/readme-utf8.txt"
    grep -q "バージョン $version\$" "$work/readme-utf8.txt" ||
      fail "readme.txt does not say バージョン $version"
    sed -e "s/@PROJECT_VERSION@/$version/g" -e "s/@TREBBO_RELEASE_DATE@/$release_date/g" \
      "$guide" >"$work/guide-expected.txt"
    diff -u "$work/guide-expected.txt" "$work/readme-utf8.txt" >"$work/readme.diff" ||
      fail "readme.txt is not the user guide:"$'\n'"$(head -20 "$work/readme.diff")"
  fi
else
  fail "no readme.txt in the zip"
fi

if [ -f "$work/LICENSE.txt" ]; then
  sed 's/$/\r/' "$license" | cmp -s - "$work/LICENSE.txt" ||
    fail "LICENSE.txt is not the licence with CRLF line endings"
else
  fail "no LICENSE.txt in the zip"
fi

[ "$failures" -eq 0 ] || { echo "$zip: $failures check(s) failed"; exit 1; }
echo "$zip: $entries- as released"
