// Every test program runs under the ANSI code page its ctest entry names
// (TREBBO_EXPECT_ACP); a run with another one would test the wrong
// conversions, so it fails as a whole instead.
#include <windows.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

class ExpectedAnsiCodePage : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* expected = std::getenv("TREBBO_EXPECT_ACP");
    if (expected == nullptr || *expected == '\0') return;
    ASSERT_EQ(std::to_string(GetACP()), expected)
        << "the ANSI code page is not the one this run is meant to test";
  }
};

[[maybe_unused]] ::testing::Environment* const kCodePageCheck =
    ::testing::AddGlobalTestEnvironment(new ExpectedAnsiCodePage);

}  // namespace
