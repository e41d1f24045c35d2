// The dialog answerer that the picker tests and the sandbox host rely on:
// what it records of a message box, and what it does with a folder dialog
// for which no answer was queued.

#include "sandbox/host/dialog_answerer.h"

#include <windows.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fresh_thread.h"
#include "tests/support/sjis_texts.h"
#include "tests/support/test_paths.h"

namespace {

using sandbox::DialogAnswerer;
using testing_support::HexBytes;
using testing_support::OnFreshThread;

TEST(DialogAnswerer, RecordsMessageBoxesAndConfirmsThem) {
  std::vector<sandbox::MessageBoxSeen> boxes;
  HWND owner = nullptr;
  int plain_answer = 0, error_answer = 0;
  OnFreshThread([&] {
    owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10,
                            nullptr, nullptr, nullptr, nullptr);
    DialogAnswerer answerer;
    plain_answer = MessageBoxA(owner, sjis::kMsgFolderMissing, "Trebbo", MB_OK);
    error_answer = MessageBoxA(nullptr, "disk full", "Other", MB_OK | MB_ICONERROR);
    boxes = answerer.message_boxes();
    DestroyWindow(owner);
  });

  EXPECT_EQ(plain_answer, IDOK);
  EXPECT_EQ(error_answer, IDOK);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, L"Trebbo");
  EXPECT_EQ(boxes[0].text, L"フォルダが存在しません。存在するフォルダを選択してください");
  EXPECT_EQ(HexBytes(boxes[0].text_ansi), HexBytes(sjis::kMsgFolderMissing));
  EXPECT_EQ(boxes[0].owner, owner);
  EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
  EXPECT_FALSE(boxes[0].icon_shown);
  EXPECT_EQ(boxes[1].caption, L"Other");
  EXPECT_EQ(boxes[1].text, L"disk full");
  EXPECT_EQ(boxes[1].owner, nullptr);
  EXPECT_TRUE(boxes[1].icon_shown);
}

TEST(DialogAnswerer, CancelsFolderDialogWithoutQueuedAnswer) {
  HRESULT shown = S_OK;
  std::vector<sandbox::FolderDialogSeen> dialogs;
  OnFreshThread([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    DialogAnswerer answerer;
    IFileDialog* dialog = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr,
                                   CLSCTX_INPROC_SERVER, IID_IFileDialog,
                                   reinterpret_cast<void**>(&dialog)))) {
      dialog->SetTitle(L"Nobody expects this");
      shown = dialog->Show(nullptr);
      dialog->Release();
    }
    dialogs = answerer.folder_dialogs();
    CoUninitialize();
  });

  EXPECT_EQ(shown, HRESULT_FROM_WIN32(ERROR_CANCELLED));
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].title, L"Nobody expects this");
  EXPECT_FALSE(dialogs[0].answered);
  EXPECT_TRUE(dialogs[0].cancelled);
}

}  // namespace
