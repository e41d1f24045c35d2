// WideToAnsi under the two ANSI code pages the tests run with; the program
// runs once per code page.

#include "transfer/wide_to_ansi.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_paths.h"

namespace {

using testing_support::HexBytes;

TEST(WideToAnsi, EmptyTextGivesEmptyText) {
  EXPECT_EQ(WideToAnsi(L""), "");
  EXPECT_EQ(WideToAnsi(std::wstring()), "");
}

TEST(WideToAnsi, JapanesePathBecomesShiftJisCountedInBytes) {
  // C:\シーン書き出し\scene_1.exo: seven full-width characters, two bytes each.
  const std::string result = WideToAnsi(L"C:\\シーン書き出し\\scene_1.exo");
  const std::string expected =
      "C:\\\x83\x56\x81\x5b\x83\x93\x8f\x91\x82\xab\x8f\x6f\x82\xb5\\scene_1.exo";
  EXPECT_EQ(HexBytes(result), HexBytes(expected));
  EXPECT_EQ(result.size(), 3u + 14u + 12u);
}

TEST(WideToAnsi, HalfWidthKatakanaTakesOneByteEach) {
  // ｼｰﾝ: single-byte characters of Shift_JIS, so bytes equal characters here.
  EXPECT_EQ(HexBytes(WideToAnsi(L"\uFF7C\uFF70\uFF9D")), "BC B0 DD");
}

TEST(WideToAnsi, ResultsHoldNoNulWithinTheirLength) {
  for (const wchar_t* text :
       {L"C:\\scenes", L"シーン書き出し", L"T:\\", L"a\u00E9\u30B7z",
        L"\uFF7C\uFF70\uFF9D"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
    const std::string result = WideToAnsi(text);
    EXPECT_FALSE(result.empty());
    EXPECT_EQ(result.find('\0'), std::string::npos) << HexBytes(result);
  }
}

// Whether the bytes name the folder itself or a look-alike: a text the code
// page holds decodes back whole; one it lacks keeps its best-fit bytes (the
// conversion itself is unchanged) and is marked.
struct Spelling {
  const wchar_t* text;
  const char* bytes;  // as hex
  bool exact;
};

void ExpectSpellings(std::initializer_list<Spelling> rows) {
  for (const Spelling& row : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.text)));
    const std::string ansi = WideToAnsi(row.text);
    EXPECT_EQ(HexBytes(ansi), row.bytes);
    EXPECT_EQ(AnsiDecodesBackTo(ansi, row.text), row.exact);
  }
}

TEST(WideToAnsi, ExactOnlyWhereTheBytesDecodeBackToTheText) {
  ExpectSpellings({
      {L"", "", true},
      {L"C:\\\u30b7", "43 3A 5C 83 56", true},   // C:\シ
      {L"caf\u00e9", "63 61 66 65", false},       // café: "cafe"
      {L"x\u00a5y", "78 5C 79", false},           // x¥y: "x\y"
  });
}

TEST(WideToAnsi, Cp1252ExactOnlyWhereTheBytesDecodeBackToTheText) {
  ExpectSpellings({
      {L"caf\u00e9", "63 61 66 E9", true},         // café
      {L"t\u0101g", "74 61 67", false},           // tāg: "tag"
  });
}

TEST(WideToAnsi, Cp1252LatinLettersKeepTheirSingleBytes) {
  EXPECT_EQ(HexBytes(WideToAnsi(L"caf\u00E9 \u00C4")), "63 61 66 E9 20 C4");
}

TEST(WideToAnsi, Cp1252JapaneseBecomesOneSubstituteEach) {
  EXPECT_EQ(WideToAnsi(L"C:\\シーン書き出し"), "C:\\???????");
}

}  // namespace
