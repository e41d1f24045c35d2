// The dialog answerer that the other tests rely on to say that no window
// came unexpected, every expected one came, and a message box had a lone OK
// button and no icon: those checks mean something only if it sees the
// opposite when it happens.
#include "sandbox/host/dialog_answerer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DialogAnswerer, NamesAWindowItDidNotExpectAndCountsTheOneThatNeverCame) {
  sandbox::DialogAnswerer answerer;
  answerer.QueueFolder(L"Select folder to save", L"C:\\");

  EXPECT_EQ(MessageBoxA(nullptr, "surprise", "Trebbo", MB_OKCANCEL | MB_ICONERROR), IDOK);

  EXPECT_EQ(answerer.unexpected(),
            std::vector<std::string>{"message box \"Trebbo\": \"surprise\" where folder "
                                     "dialog \"Select folder to save\" was expected"});
  EXPECT_EQ(answerer.PendingAnswers(), 1u);
  const auto boxes = answerer.message_boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].buttons, (std::vector<int>{IDOK, IDCANCEL}));
  EXPECT_TRUE(boxes[0].icon_shown);
}

}  // namespace
