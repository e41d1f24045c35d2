#!/usr/bin/env bash
# The release zip as a user gets it: exactly trebbo.auf, readme.txt,
# readme_en.txt and LICENSE.txt, in this order; the DLL the very file in
# dist/; readme.txt the user guide with its placeholders filled in, CRLF
# line endings, Shift_JIS; readme_en.txt the English guide with its
# placeholders filled in, a UTF-8 byte-order mark, UTF-8, CRLF line endings;
# no line of either readme wider than the ruler it carries; LICENSE.txt the
# licence with CRLF line endings. Runs natively, not under wine, and reads
# the zip with CMake's own archive reader.
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

# A readme's ruler: its first line made only of "=" (after the byte-order
# mark, if any); its width in columns is the limit of every line.
ruler_width() {
  awk '{ sub(/^\357\273\277/, ""); sub(/\r$/, "") } /^=+$/ { print length($0); exit }' "$1"
}
# Lines wider than RULER columns, a full-width character counting 2. In
# Shift_JIS a line's bytes are its columns: awk under the C locale counts
# bytes.
wide_sjis_lines() {
  awk -v ruler="$2" '{ sub(/\r$/, ""); if (length($0) > ruler) print NR " (" length($0) ")" }' "$1"
}
# In UTF-8, wc -L counts display columns under a UTF-8 locale (C.UTF-8, which
# Debian always has): 2 for the East Asian wide and full-width characters,
# 1 for the ambiguous ones (①, ♪, é ...), 0 for the byte-order mark; a CR
# ends a line as LF does. Where it finds a line too wide, each is named.
wide_utf8_lines() {
  local ruler=$2 number=0 width line
  [ "$(LC_ALL=C.UTF-8 wc -L <"$1")" -le "$ruler" ] && return
  while IFS= read -r line; do
    number=$((number + 1))
    width=$(printf '%s\n' "$line" | LC_ALL=C.UTF-8 wc -L)
    [ "$width" -le "$ruler" ] || echo "$number ($width)"
  done <"$1"
}
[ "$(printf '全a\n' | LC_ALL=C.UTF-8 wc -L)" = 3 ] ||
  fail "wc -L does not count a full-width character as 2 columns under C.UTF-8"

# The readmes as a user's editor reads them, in UTF-8 with LF endings.
decode_shift_jis() { iconv -f CP932 -t UTF-8 "$1"; }
decode_utf8_with_bom() {
  [ "$(head -c 3 "$1")" = $'\xEF\xBB\xBF' ] || { echo "no byte-order mark" >&2; return 1; }
  tail -c +4 "$1" | iconv -f UTF-8 -t UTF-8
}

# One readme: CRLF throughout, no line wider than its ruler, the version
# named on the line `version_line` ends, and its text the guide `source`.
check_readme() {
  local name=$1 encoding=$2 decode=$3 wide_lines=$4 source=$5 version_line=$6
  local file=$work/$name text=$work/$name.utf8 ruler wide
  [ -f "$file" ] || { fail "no $name in the zip"; return; }
  check_crlf "$file"
  # A readme without a ruler has every line too wide.
  ruler=$(ruler_width "$file")
  wide=$($wide_lines "$file" "${ruler:-0}")
  [ -z "$wide" ] || fail "$name lines wider than its ruler, ${ruler:-0} columns: $(echo $wide)"
  if ! $decode "$file" >"$text" 2>"$work/$name.err"; then
    fail "$name is not $encoding: $(cat "$work/$name.err")"
    return
  fi
  sed -i 's/\r$//' "$text"
  grep -q "$version_line\$" "$text" || fail "$name does not say $version_line"
  filled_guide "$source" | diff -u - "$text" >"$work/$name.diff" ||
    fail "$name is not $source:"$'\n'"$(head -20 "$work/$name.diff")"
}
check_readme readme.txt Shift_JIS decode_shift_jis wide_sjis_lines "$guide" "バージョン $version"
check_readme readme_en.txt "UTF-8 with its byte-order mark" decode_utf8_with_bom \
  wide_utf8_lines "$guide_en" "version $version"

if [ -f "$work/LICENSE.txt" ]; then
  sed 's/$/\r/' "$license" | cmp -s - "$work/LICENSE.txt" ||
    fail "LICENSE.txt is not the licence with CRLF line endings"
else
  fail "no LICENSE.txt in the zip"
fi

[ "$failures" -eq 0 ] || { echo "$zip: $failures check(s) failed"; exit 1; }
echo "$zip: $entries- as released"
