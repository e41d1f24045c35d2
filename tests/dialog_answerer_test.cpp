// The dialog answerer that the other tests rely on to say that exactly the
// expected windows came, message boxes with the expected text, owner, lone
// OK button and no icon: those checks mean something only if it sees the
// opposite when it happens.
#include "sandbox/host/dialog_answerer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DialogAnswerer, NamesAMessageBoxUnlikeTheExpectedOneAndTheOneThatNeverCame) {
  sandbox::DialogAnswerer answerer;
  sandbox::Window expected;
  expected.title = "Trebbo";
  expected.text = "surprise";
  expected.buttons = {IDOK};
  answerer.ExpectMessageBox(expected);

  EXPECT_EQ(MessageBoxA(nullptr, "surprise", "Trebbo", MB_OKCANCEL | MB_ICONERROR), IDOK);

  const std::string box = "message box \"Trebbo\": \"surprise\", owner 00000000, buttons 1";
  EXPECT_EQ(answerer.Mismatch(), "unexpected " + box + " 2, icon where " + box +
                                     ", no icon was expected\n"
                                     "1 expected window(s) never came, the first " +
                                     box + ", no icon\n");
}

}  // namespace
