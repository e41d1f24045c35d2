#!/usr/bin/env bash
# The release zip as a user gets it: exactly trebbo.auf, readme.txt,
# readme_en.txt and LICENSE.txt, in this order; the DLL the very file in
# dist/; readme.txt the user guide with its placeholders filled in, CRLF
# line endings, Shift_JIS; readme_en.txt the English guide with its
# placeholders filled in, a UTF-8 byte-order mark, UTF-8, CRLF line endings;
# no line of either readme wider than 76 columns; LICENSE.txt the licence
# with CRLF line endings. Runs natively, not under wine, and reads the zip
# with CMake's own archive reader.
# Usage: release_archive_test.sh ZIP DLL GUIDE GUIDE_EN LICENSE VERSION RELEASE_DATE WORK
set -uo pipefail
zip=$1 dll=$2 guide=$3 guide_en=$4 license=$5 version=$6 release_date=$7 work=$8
export LC_ALL=C

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ -f "$zip" ] || { echo "FAIL: no release zip at $zip"; exit 1; }

expected_entries="trebbo.auf readme.txt readme_en.txt LICENSE.txt "
entries=$(cmake -E tar tf "$zip" | tr '\n' ' ') || { echo "FAIL: cannot list $zip"; exit 1; }
[ "$entries" = "$expected_entries" ] ||
  fail "entries are '$entries', expected '$expected_entries'"

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
check_crlf() {
  local line
  line=$(non_crlf_line "$1")
  [ -z "$line" ] || fail "$(basename "$1") line $line does not end with CRLF"
  ends_with_newline "$1" || fail "$(basename "$1") does not end with CRLF"
}
# The guide as released: placeholders filled in, LF line endings.
filled_guide() {
  sed -e "s/@PROJECT_VERSION@/$version/g" -e "s/@TREBBO_RELEASE_DATE@/$release_date/g" "$1"
}

# Lines wider than 76 columns, a full-width character counting 2. In
# Shift_JIS a line's bytes are its columns: awk under the C locale counts
# bytes.
wide_sjis_lines() {
  awk '{ sub(/\r$/, ""); if (length($0) > 76) print NR " (" length($0) ")" }' "$1"
}
# In UTF-8, wc -L counts display columns under a UTF-8 locale (C.UTF-8, which
# Debian always has): 2 for the East Asian wide and full-width characters,
# 1 for the ambiguous ones (①, ♪, é ...), 0 for the byte-order mark; a CR
# ends a line as LF does. Where it finds a line too wide, each is named.
wide_utf8_lines() {
  local number=0 width line
  [ "$(LC_ALL=C.UTF-8 wc -L <"$1")" -le 76 ] && return
  while IFS= read -r line; do
    number=$((number + 1))
    width=$(printf '%s\n' "$line" | LC_ALL=C.UTF-8 wc -L)
    [ "$width" -le 76 ] || echo "$number ($width)"
  done <"$1"
}
[ "$(printf '全a\n' | LC_ALL=C.UTF-8 wc -L)" = 3 ] ||
  fail "wc -L does not count a full-width character as 2 columns under C.UTF-8"

readme=$work/readme.txt
if [ -f "$readme" ]; then
  check_crlf "$readme"
  wide=$(wide_sjis_lines "$readme")
  [ -z "$wide" ] || fail "readme.txt lines wider than 76 columns: $(echo $wide)"
  if ! iconv -f CP932 -t UTF-8 "$readme" >"$work/readme-utf8.txt" 2>"$work/iconv.err"; then
    fail "readme.txt is not Shift_JIS: $(cat "$work/iconv.err")"
  else
    sed -i 's/\r$//' "$work/readme-utf8.txt"
    grep -q "バージョン $version\$" "$work/readme-utf8.txt" ||
      fail "readme.txt does not say バージョン $version"
    filled_guide "$guide" >"$work/guide-expected.txt"
    diff -u "$work/guide-expected.txt" "$work/readme-utf8.txt" >"$work/readme.diff" ||
      fail "readme.txt is not the user guide:"$'\n'"$(head -20 "$work/readme.diff")"
  fi
else
  fail "no readme.txt in the zip"
fi

readme_en=$work/readme_en.txt
bom=$'\xEF\xBB\xBF'
if [ -f "$readme_en" ]; then
  [ "$(head -c 3 "$readme_en")" = "$bom" ] ||
    fail "readme_en.txt does not start with the UTF-8 byte-order mark"
  iconv -f UTF-8 -t UTF-8 "$readme_en" >/dev/null 2>"$work/iconv-en.err" ||
    fail "readme_en.txt is not UTF-8: $(cat "$work/iconv-en.err")"
  check_crlf "$readme_en"
  wide=$(wide_utf8_lines "$readme_en")
  [ -z "$wide" ] || fail "readme_en.txt lines wider than 76 columns: $(echo $wide)"
  tail -c +4 "$readme_en" | sed 's/\r$//' >"$work/readme-en-lf.txt"
  grep -q "version $version\$" "$work/readme-en-lf.txt" ||
    fail "readme_en.txt does not say version $version"
  filled_guide "$guide_en" >"$work/guide-en-expected.txt"
  diff -u "$work/guide-en-expected.txt" "$work/readme-en-lf.txt" >"$work/readme-en.diff" ||
    fail "readme_en.txt is not the English guide:"$'\n'"$(head -20 "$work/readme-en.diff")"
else
  fail "no readme_en.txt in the zip"
fi

if [ -f "$work/LICENSE.txt" ]; then
  sed 's/$/\r/' "$license" | cmp -s - "$work/LICENSE.txt" ||
    fail "LICENSE.txt is not the licence with CRLF line endings"
else
  fail "no LICENSE.txt in the zip"
fi

[ "$failures" -eq 0 ] || { echo "$zip: $failures check(s) failed"; exit 1; }
echo "$zip: $entries- as released"
