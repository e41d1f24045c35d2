// What the plug-in makes of a chosen folder's path under the two ANSI code
// pages the tests run with (the program runs once per code page): its bytes,
// counted in bytes and without a terminator, and whether they name that
// folder and no look-alike.

#include "transfer/wide_to_ansi.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "tests/support/test_paths.h"

namespace {

using testing_support::HexBytes;

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
  ASSERT_EQ(GetACP(), 932u);
  ExpectSpellings({
      {L"", "", true},
      {L"C:\\\u30b7\u30fc\u30f3\\", "43 3A 5C 83 56 81 5B 83 93 5C", true},  // C:\シーン\, two bytes a character
      {L"caf\u00e9", "63 61 66 65", false},  // café: "cafe"
      {L"x\u00a5y", "78 5C 79", false},      // x¥y: "x\y"
  });
}

TEST(WideToAnsi, Cp1252ExactOnlyWhereTheBytesDecodeBackToTheText) {
  ASSERT_EQ(GetACP(), 1252u);
  ExpectSpellings({
      {L"", "", true},
      {L"caf\u00e9", "63 61 66 E9", true},        // café
      {L"t\u0101g", "74 61 67", false},           // tāg: "tag"
      {L"\u30b7\u30fc\u30f3", "3F 3F 3F", false},  // シーン: "???"
  });
}

}  // namespace
