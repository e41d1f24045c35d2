// The dialog answerer that the tests and the sandbox host rely on: what it
// records of a message box, what it does with windows its script does not
// expect, and that it answers a dialog whichever thread shows it.

#include "sandbox/host/dialog_answerer.h"

#include <windows.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fresh_thread.h"
#include "tests/support/sjis_texts.h"
#include "tests/support/test_paths.h"

namespace {

using sandbox::DialogAnswerer;
using testing_support::HexBytes;
using testing_support::OnFreshThread;

// A folder dialog under `title`, shown and released; COM must be initialised
// on the thread.
HRESULT ShowFolderDialog(const wchar_t* title) {
  IFileDialog* dialog = nullptr;
  HRESULT shown = CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IFileDialog, reinterpret_cast<void**>(&dialog));
  if (FAILED(shown)) return shown;
  DWORD options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_PICKFOLDERS);
  dialog->SetTitle(title);
  shown = dialog->Show(nullptr);
  dialog->Release();
  return shown;
}

TEST(DialogAnswerer, RecordsMessageBoxesAndConfirmsThem) {
  struct Outcome {
    std::vector<sandbox::MessageBoxSeen> boxes;
    std::vector<std::string> unexpected;
    HWND owner;
    int plain_answer, error_answer;
  };
  const Outcome outcome = OnFreshThread([] {
    Outcome seen{};
    seen.owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10,
                                 nullptr, nullptr, nullptr, nullptr);
    DialogAnswerer answerer;
    answerer.QueueMessageBox(L"Trebbo");
    answerer.QueueMessageBox(L"Other");
    seen.plain_answer = MessageBoxA(seen.owner, sjis::kMsgFolderMissing, "Trebbo", MB_OK);
    seen.error_answer = MessageBoxA(nullptr, "disk full", "Other", MB_OK | MB_ICONERROR);
    seen.boxes = answerer.message_boxes();
    seen.unexpected = answerer.unexpected();
    DestroyWindow(seen.owner);
    return seen;
  });

  EXPECT_EQ(outcome.plain_answer, IDOK);
  EXPECT_EQ(outcome.error_answer, IDOK);
  EXPECT_EQ(outcome.unexpected, std::vector<std::string>{});
  const auto& boxes = outcome.boxes;
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, L"Trebbo");
  EXPECT_EQ(boxes[0].text, L"フォルダが存在しません。存在するフォルダを選択してください");
  EXPECT_EQ(HexBytes(boxes[0].text_ansi), HexBytes(sjis::kMsgFolderMissing));
  EXPECT_EQ(boxes[0].owner, outcome.owner);
  EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
  EXPECT_FALSE(boxes[0].icon_shown);
  EXPECT_EQ(boxes[1].caption, L"Other");
  EXPECT_EQ(boxes[1].text, L"disk full");
  EXPECT_EQ(boxes[1].owner, nullptr);
  EXPECT_TRUE(boxes[1].icon_shown);
}

// Windows other than the one expected next are answered at once and named;
// the expected one, when it comes, is still answered as queued.
TEST(DialogAnswerer, AnswersWindowsItDoesNotExpectAtOnceAndNamesThem) {
  const std::wstring folder = testing_support::NewScratchFolder(L"answered");
  struct Outcome {
    HRESULT other_dialog, expected_dialog;
    int box_answer;
    std::vector<sandbox::FolderDialogSeen> dialogs;
    std::vector<std::string> unexpected;
    size_t pending;
  };
  const Outcome outcome = OnFreshThread([&] {
    Outcome seen{};
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    DialogAnswerer answerer;
    answerer.QueueFolder(L"Select folder to save", folder);
    seen.other_dialog = ShowFolderDialog(L"Select folder to import");
    seen.box_answer = MessageBoxA(nullptr, "surprise", "Trebbo", MB_OKCANCEL);
    seen.expected_dialog = ShowFolderDialog(L"Select folder to save");
    seen.dialogs = answerer.folder_dialogs();
    seen.unexpected = answerer.unexpected();
    seen.pending = answerer.PendingAnswers();
    CoUninitialize();
    return seen;
  });

  EXPECT_EQ(outcome.other_dialog, HRESULT_FROM_WIN32(ERROR_CANCELLED));
  EXPECT_EQ(outcome.box_answer, IDOK);
  EXPECT_EQ(outcome.expected_dialog, S_OK);
  EXPECT_EQ(outcome.unexpected,
            (std::vector<std::string>{
                "folder dialog \"Select folder to import\" where folder dialog "
                "\"Select folder to save\" was expected",
                "message box \"Trebbo\": \"surprise\" where folder dialog "
                "\"Select folder to save\" was expected",
            }));
  ASSERT_EQ(outcome.dialogs.size(), 2u);
  EXPECT_FALSE(outcome.dialogs[0].answered);
  EXPECT_TRUE(outcome.dialogs[0].cancelled);
  EXPECT_TRUE(outcome.dialogs[1].answered);
  EXPECT_EQ(outcome.dialogs[1].folder, folder);
  EXPECT_EQ(outcome.pending, 0u);
}

// From the multithreaded apartment, COM shows the dialog on a thread of its
// own while the caller waits without pumping messages.
TEST(DialogAnswerer, AnswersADialogShownOnAnotherThread) {
  const auto [shown, dialogs] = OnFreshThread([] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    DialogAnswerer answerer;
    answerer.QueueCancel(L"Shown elsewhere");
    const HRESULT result = ShowFolderDialog(L"Shown elsewhere");
    const auto seen = answerer.folder_dialogs();
    CoUninitialize();
    return std::make_pair(result, seen);
  });

  EXPECT_EQ(shown, HRESULT_FROM_WIN32(ERROR_CANCELLED));
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_TRUE(dialogs[0].answered);
}

}  // namespace
