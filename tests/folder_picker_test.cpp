// The folder picker against wine's real folder dialog, answered by the
// sandbox's dialog answerer, and against a scripted fake dialog for the
// failures the real one cannot be made to show.
//
// Every case runs on a thread of its own, so COM on it starts clean.

#include "transfer/folder_picker.h"

#include <windows.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "sandbox/host/dialog_answerer.h"
#include "tests/support/fake_file_dialog.h"
#include "tests/support/fresh_thread.h"
#include "tests/support/test_paths.h"

namespace {

using sandbox::DialogAnswerer;
using testing_support::FakeDialogScript;
using testing_support::FakeFileDialogClass;
using testing_support::HexBytes;
using testing_support::OnFreshThread;

constexpr char kSaveTitle[] = "Select folder to save";
constexpr char kImportTitle[] = "Select folder to import";

// シーン書き出し in Shift_JIS, two bytes per character.
constexpr char kSceneExportSjis[] =
    "\x83\x56\x81\x5b\x83\x93\x8f\x91\x82\xab\x8f\x6f\x82\xb5";
constexpr wchar_t kSceneExportWide[] = L"シーン書き出し";

// ---- COM on the current thread ---------------------------------------------

enum class Apartment { kNone, kSingleThreaded, kMultithreaded };

struct ComState {
  Apartment apartment;
  int depth;  // how many CoUninitialize calls it takes to leave COM
};

bool operator==(const ComState& a, const ComState& b) {
  return a.apartment == b.apartment && a.depth == b.depth;
}

void PrintTo(const ComState& state, std::ostream* out) {
  static const char* const kNames[] = {"none", "STA", "MTA"};
  *out << kNames[static_cast<int>(state.apartment)] << " x" << state.depth;
}

void EnterApartment(Apartment apartment) {
  if (apartment == Apartment::kSingleThreaded) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  } else if (apartment == Apartment::kMultithreaded) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  }
}

// Leaves COM completely, counting the initialisations on the way out. A probe
// CoInitializeEx answers S_FALSE while one is left (RPC_E_CHANGED_MODE when
// the thread is in the other apartment, which takes no reference) and S_OK
// once none is.
ComState LeaveCom() {
  ComState state{Apartment::kNone, 0};
  for (int guard = 0; guard < 1000; ++guard) {
    HRESULT probe = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Apartment apartment = Apartment::kSingleThreaded;
    if (probe == RPC_E_CHANGED_MODE) {
      probe = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      apartment = Apartment::kMultithreaded;
    }
    if (FAILED(probe)) break;
    CoUninitialize();  // the probe's own
    if (probe != S_FALSE) break;
    CoUninitialize();
    state.apartment = apartment;
    ++state.depth;
  }
  return state;
}

// Measures without changing: leaves COM, then enters it again as often.
ComState MeasureCom() {
  const ComState state = LeaveCom();
  for (int i = 0; i < state.depth; ++i) EnterApartment(state.apartment);
  return state;
}

// ---- the real dialog -------------------------------------------------------

std::wstring Wide(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

struct PickerRun {
  std::string folder;
  bool exact;
  std::vector<sandbox::FolderDialogSeen> dialogs;
  std::vector<sandbox::MessageBoxSeen> boxes;
  ComState com_after;
};

// The picker called under `title` on a fresh thread in `start`, with the
// dialogs that `script` queues answered. Any other window fails the test.
PickerRun PickOnFreshThread(Apartment start, const std::string& title,
                            const std::function<void(DialogAnswerer&)>& script) {
  std::vector<std::string> unexpected;
  const PickerRun run = OnFreshThread([&] {
    EnterApartment(start);
    PickerRun run;
    DialogAnswerer answerer;
    script(answerer);
    const FolderChoice choice = SelectFolder(title);
    run.folder = choice.path;
    run.exact = choice.exact;
    run.dialogs = answerer.folder_dialogs();
    run.boxes = answerer.message_boxes();
    unexpected = answerer.unexpected();
    run.com_after = MeasureCom();
    LeaveCom();
    return run;
  });
  for (const std::string& line : unexpected) ADD_FAILURE() << "unexpected " << line;
  return run;
}

// Wine's folder dialog leaves one COM initialisation on the thread each time
// it is shown, whoever shows it. This is what a balanced use of the dialog,
// written out here, leaves behind: the yardstick for the picker's balance.
ComState LeftoverOfBalancedDialog(Apartment start) {
  return OnFreshThread([&] {
    EnterApartment(start);
    DialogAnswerer answerer;
    answerer.QueueCancel(L"");  // the dialog's own title
    if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
      IFileDialog* dialog = nullptr;
      if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr,
                                     CLSCTX_INPROC_SERVER, IID_IFileDialog,
                                     reinterpret_cast<void**>(&dialog)))) {
        DWORD options = 0;
        dialog->GetOptions(&options);
        dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_PICKFOLDERS);
        dialog->Show(nullptr);
        dialog->Release();
      }
      CoUninitialize();
    }
    const ComState state = MeasureCom();
    LeaveCom();
    return state;
  });
}

bool IsAscii(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

std::string AsciiNarrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

std::wstring NewAsciiFolder(const wchar_t* hint) {
  const std::wstring folder = testing_support::NewScratchFolder(hint);
  EXPECT_FALSE(folder.empty()) << "no scratch folder";
  EXPECT_TRUE(IsAscii(folder)) << "the scratch area's path is not ASCII";
  return folder;
}

TEST(FolderPickerDialog, TypedFolderComesBackAsItsAnsiPathUnderTheCallersTitle) {
  // A folder typed into the file-name box and confirmed comes back only in
  // folder mode; the file-open mode would browse into it and stay open.
  for (const char* title : {kSaveTitle, kImportTitle}) {
    SCOPED_TRACE(title);
    const std::wstring folder = NewAsciiFolder(L"picked");

    const PickerRun run = PickOnFreshThread(
        Apartment::kNone, title,
        [&](DialogAnswerer& answerer) { answerer.QueueFolder(Wide(title), folder); });

    EXPECT_EQ(run.folder, AsciiNarrow(folder));
    EXPECT_TRUE(run.exact);
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_EQ(run.dialogs[0].title, Wide(title));
    EXPECT_TRUE(run.dialogs[0].answered);
    EXPECT_TRUE(run.boxes.empty()) << "the dialog or the picker showed a message";
  }
}

TEST(FolderPickerDialog, CancelGivesEmptyResultAndLeavesComAsItWas) {
  const ComState yardstick = LeftoverOfBalancedDialog(Apartment::kNone);

  const PickerRun run = PickOnFreshThread(
      Apartment::kNone, kSaveTitle,
      [](DialogAnswerer& answerer) { answerer.QueueCancel(Wide(kSaveTitle)); });

  EXPECT_EQ(run.folder, "");
  ASSERT_EQ(run.dialogs.size(), 1u);
  EXPECT_TRUE(run.dialogs[0].cancelled);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(run.com_after, yardstick);
}

TEST(FolderPickerDialog, ThreadAlreadySingleThreadedShowsDialogAndStaysInitialised) {
  const ComState yardstick = LeftoverOfBalancedDialog(Apartment::kSingleThreaded);
  ASSERT_EQ(yardstick.apartment, Apartment::kSingleThreaded);
  ASSERT_GE(yardstick.depth, 1);
  const std::wstring folder = NewAsciiFolder(L"sta");

  const PickerRun run = PickOnFreshThread(
      Apartment::kSingleThreaded, kImportTitle,
      [&](DialogAnswerer& answerer) { answerer.QueueFolder(Wide(kImportTitle), folder); });

  EXPECT_EQ(run.folder, AsciiNarrow(folder));
  EXPECT_EQ(run.dialogs.size(), 1u);
  EXPECT_EQ(run.com_after, yardstick);
}

TEST(FolderPickerDialog, ThreadInMultithreadedApartmentGetsNoDialogAndKeepsIt) {
  const PickerRun run = PickOnFreshThread(
      Apartment::kMultithreaded, kSaveTitle, [](DialogAnswerer&) {});

  EXPECT_EQ(run.folder, "");
  EXPECT_TRUE(run.dialogs.empty()) << "a dialog appeared";
  EXPECT_EQ(run.com_after, (ComState{Apartment::kMultithreaded, 1}));
}

// ---- what the path becomes in the ANSI code page ---------------------------

TEST(FolderPickerText, JapaneseFolderComesBackAsItsShiftJisBytes) {
  const std::wstring base = NewAsciiFolder(L"japanese");
  const std::wstring folder = base + L"\\" + kSceneExportWide;
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));

  const PickerRun run = PickOnFreshThread(
      Apartment::kNone, kSaveTitle,
      [&](DialogAnswerer& answerer) { answerer.QueueFolder(Wide(kSaveTitle), folder); });

  EXPECT_TRUE(run.exact);
  const std::string expected = AsciiNarrow(base) + "\\" + kSceneExportSjis;
  EXPECT_EQ(HexBytes(run.folder), HexBytes(expected));
  // Seven characters, fourteen bytes: the length counts bytes.
  EXPECT_EQ(run.folder.size(), base.size() + 1 + 14);
  EXPECT_TRUE(PathFileExistsA(run.folder.c_str()));
}

TEST(FolderPickerText, Cp1252JapaneseFolderComesBackWithSubstitutesAndNotExact) {
  const std::wstring base = NewAsciiFolder(L"japanese");
  const std::wstring folder = base + L"\\" + kSceneExportWide;
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));

  const PickerRun run = PickOnFreshThread(
      Apartment::kNone, kImportTitle,
      [&](DialogAnswerer& answerer) { answerer.QueueFolder(Wide(kImportTitle), folder); });

  EXPECT_EQ(run.folder, AsciiNarrow(base) + "\\???????");
  EXPECT_FALSE(run.exact);
  EXPECT_FALSE(PathFileExistsA(run.folder.c_str()));
}

// ---- the fake dialog: every step's failure --------------------------------

struct FakeRun {
  std::string setup_error;
  std::string folder;
  std::vector<std::string> events;
  int objects_left = 0;
  ComState com_before{};
  ComState com_after{};
};

FakeRun PickWithFake(const FakeDialogScript& script,
                     Apartment start = Apartment::kSingleThreaded) {
  return OnFreshThread([&] {
    EnterApartment(start);
    FakeRun run;
    // Measuring leaves COM for a moment, which would revoke the fake class;
    // so it happens while the fake is not registered.
    run.com_before = MeasureCom();
    {
      FakeFileDialogClass fake(script);
      run.setup_error = fake.setup_error();
      run.folder = SelectFolder(kSaveTitle).path;
      run.events = fake.events();
      run.objects_left = fake.live_objects();
    }
    run.com_after = MeasureCom();
    LeaveCom();
    return run;
  });
}

// The steps of a call up to and including the named one, as the fake logs
// them; the real dialog starts from options 0x1808.
const std::vector<std::string> kUpToCreation = {
    "CoInitializeEx(APARTMENTTHREADED) -> S_FALSE",
    "factory.CreateInstance(IFileDialog) -> S_OK",
};
std::vector<std::string> Then(std::vector<std::string> events,
                              const std::vector<std::string>& more) {
  events.insert(events.end(), more.begin(), more.end());
  return events;
}
const std::vector<std::string> kUpToShow = Then(kUpToCreation, {
    "dialog.GetOptions",
    "dialog.SetOptions(0x00001868)",
    "dialog.SetTitle(\"Select folder to save\")",
    "dialog.Show(owner 0x00000000)",
});

TEST(FolderPickerSteps, RegisteredFakeIsWhatCoCreateInstanceCreates) {
  FakeDialogScript script;
  script.options = 0x00ABC000;
  const auto [setup_error, options] = OnFreshThread([&] {
    EnterApartment(Apartment::kSingleThreaded);
    std::pair<std::string, DWORD> seen{"", 0};
    {
      FakeFileDialogClass fake(script);
      seen.first = fake.setup_error();
      IFileDialog* dialog = nullptr;
      if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr,
                                     CLSCTX_INPROC_SERVER, IID_IFileDialog,
                                     reinterpret_cast<void**>(&dialog)))) {
        dialog->GetOptions(&seen.second);
        dialog->Release();
      }
    }
    LeaveCom();
    return seen;
  });
  EXPECT_EQ(setup_error, "");
  EXPECT_EQ(options, 0x00ABC000u);
}

// Once the dialog was shown, each outcome releases exactly what was acquired,
// in reverse: path buffer, item, dialog, then the COM initialisation.
struct AfterShowRow {
  const char* what;
  HRESULT show, get_result, get_display_name;
  const char* folder;                 // what the picker returns
  std::vector<std::string> after_show;  // the fake's log after Show
};

TEST(FolderPickerSteps, EveryOutcomeAfterShowReleasesWhatItAcquiredInReverse) {
  const HRESULT ok = S_OK, cancelled = HRESULT_FROM_WIN32(ERROR_CANCELLED);
  const AfterShowRow rows[] = {
      {"a folder is chosen", ok, ok, ok, "D:\\projects\\scenes",
       {"dialog.GetResult", "item.GetDisplayName(SIGDN_FILESYSPATH)",
        "CoTaskMemFree(path)", "item.Release -> 0", "dialog.Release -> 0",
        "CoUninitialize"}},
      {"the user cancels", cancelled, ok, ok, "",
       {"dialog.Release -> 0", "CoUninitialize"}},
      {"Show fails", E_FAIL, ok, ok, "", {"dialog.Release -> 0", "CoUninitialize"}},
      {"GetResult fails", ok, E_FAIL, ok, "",
       {"dialog.GetResult", "dialog.Release -> 0", "CoUninitialize"}},
      {"GetDisplayName fails: no buffer to free", ok, ok, E_FAIL, "",
       {"dialog.GetResult", "item.GetDisplayName(SIGDN_FILESYSPATH)",
        "item.Release -> 0", "dialog.Release -> 0", "CoUninitialize"}},
  };
  for (const AfterShowRow& row : rows) {
    SCOPED_TRACE(row.what);
    FakeDialogScript script;
    script.path = L"D:\\projects\\scenes";
    script.show = row.show;
    script.get_result = row.get_result;
    script.get_display_name = row.get_display_name;
    const FakeRun run = PickWithFake(script);

    ASSERT_EQ(run.setup_error, "");
    EXPECT_EQ(run.folder, row.folder);
    EXPECT_EQ(run.events, Then(kUpToShow, row.after_show));
    EXPECT_EQ(run.objects_left, 0);
    EXPECT_EQ(run.com_after, run.com_before);
  }
}

TEST(FolderPickerSteps, FailingCreationOnlyUninitialises) {
  FakeDialogScript script;
  script.create = REGDB_E_CLASSNOTREG;
  const FakeRun run = PickWithFake(script);

  ASSERT_EQ(run.setup_error, "");
  EXPECT_EQ(run.folder, "");
  EXPECT_EQ(run.events, (std::vector<std::string>{
                            "CoInitializeEx(APARTMENTTHREADED) -> S_FALSE",
                            "factory.CreateInstance(IFileDialog) -> REGDB_E_CLASSNOTREG",
                            "CoUninitialize",
                        }));
  EXPECT_EQ(run.com_after, run.com_before);
}

TEST(FolderPickerSteps, FailingInitialisationCreatesNothingAndDoesNotUninitialise) {
  const FakeRun run = PickWithFake(FakeDialogScript{}, Apartment::kMultithreaded);

  ASSERT_EQ(run.setup_error, "");
  EXPECT_EQ(run.folder, "");
  EXPECT_EQ(run.events, (std::vector<std::string>{
                            "CoInitializeEx(APARTMENTTHREADED) -> RPC_E_CHANGED_MODE",
                        }));
  EXPECT_EQ(run.com_after, (ComState{Apartment::kMultithreaded, 1}));
}

TEST(FolderPickerSteps, IgnoredResultsStillShowTheDialogWithFolderFlagsAdded) {
  // A GetOptions that fails is not trusted with what it wrote: the flags go
  // on top of no options.
  FakeDialogScript script;
  script.get_options = E_FAIL;
  script.options = 0xFFFFFFFF;
  script.set_options = E_INVALIDARG;
  script.set_title = E_FAIL;
  script.path = L"C:\\";
  const FakeRun run = PickWithFake(script);

  ASSERT_EQ(run.setup_error, "");
  EXPECT_EQ(run.folder, "C:\\");
  EXPECT_EQ(run.events, Then(kUpToCreation, {
                            "dialog.GetOptions",
                            "dialog.SetOptions(0x00000060)",
                            "dialog.SetTitle(\"Select folder to save\")",
                            "dialog.Show(owner 0x00000000)",
                            "dialog.GetResult",
                            "item.GetDisplayName(SIGDN_FILESYSPATH)",
                            "CoTaskMemFree(path)",
                            "item.Release -> 0",
                            "dialog.Release -> 0",
                            "CoUninitialize",
                        }));
}

}  // namespace
