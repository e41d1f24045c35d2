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

TEST(WideToAnsi, Cp1252LatinLettersKeepTheirSingleBytes) {
  EXPECT_EQ(HexBytes(WideToAnsi(L"caf\u00E9 \u00C4")), "63 61 66 E9 20 C4");
}

TEST(WideToAnsi, Cp1252JapaneseBecomesOneSubstituteEach) {
  EXPECT_EQ(WideToAnsi(L"C:\\シーン書き出し"), "C:\\???????");
}

}  // namespace
