// The folder picker against wine's real folder dialog, answered by the
// sandbox's dialog answerer, and against a scripted fake dialog for the
// failures the real one cannot be made to show; every such case runs on a
// thread of its own, so COM on it starts clean. Then what the picker makes of
// a chosen path under the two ANSI code pages the tests run with.

#include "transfer/folder_picker.h"

#include <windows.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <future>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "sandbox/host/dialog_answerer.h"
#include "tests/support/fake_file_dialog.h"
#include "transfer/wide_to_ansi.h"

namespace {

using sandbox::DialogAnswerer;
using testing_support::FakeDialogLog;
using testing_support::FakeDialogScript;
using testing_support::RunWithFakeDialog;

constexpr char kSaveTitle[] = "Select folder to save";

// Runs `work` on a new thread and returns what it returns. A thread that
// never ends is the test watchdog's to report.
template <typename Work>
auto OnFreshThread(Work work) {
  return std::async(std::launch::async, work).get();
}

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
  if (apartment == Apartment::kNone) return;
  CoInitializeEx(nullptr, apartment == Apartment::kMultithreaded ? COINIT_MULTITHREADED
                                                                 : COINIT_APARTMENTTHREADED);
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

// The dialog answerer the other tests rely on to say that exactly the
// expected windows came, message boxes with the expected text, owner, lone
// OK button, no icon and no place above other programs: those checks mean
// something only if it sees the opposite when it happens.
TEST(DialogAnswerer, NamesAMessageBoxUnlikeTheExpectedOneAndTheOneThatNeverCame) {
  sandbox::DialogAnswerer answerer;
  answerer.ExpectMessageBox(
      {sandbox::Window::Kind::kMessageBox, "Trebbo", L"", "surprise", nullptr, {IDOK}});

  EXPECT_EQ(MessageBoxA(nullptr, "surprise", "Trebbo",
                        MB_OKCANCEL | MB_ICONERROR | MB_SYSTEMMODAL),
            IDOK);

  const std::string box = "message box \"Trebbo\": \"surprise\", no owner, buttons 1";
  EXPECT_EQ(answerer.Mismatch(), "unexpected " + box + " 2, icon, topmost where " + box +
                                     ", no icon was expected\n"
                                     "1 expected window(s) never came, the first " +
                                     box + ", no icon\n");
}


struct PickerRun {
  std::string folder;
  std::string mismatch;  // of the windows expected
  ComState com_after;
};

// `pick` called on a fresh thread in `start`, with one folder dialog titled
// kSaveTitle expected and cancelled, or none at all.
PickerRun CancelOnFreshThread(Apartment start, bool dialog_expected, std::string (*pick)()) {
  return OnFreshThread([&] {
    EnterApartment(start);
    DialogAnswerer answerer;
    if (dialog_expected) answerer.ExpectFolderDialog(kSaveTitle, L"");
    PickerRun run{pick(), "", {}};
    run.mismatch = answerer.Mismatch();
    run.com_after = MeasureCom();
    LeaveCom();
    return run;
  });
}

std::string PickWithThePicker() { return SelectFolder(kSaveTitle).path; }

// Wine's folder dialog leaves one COM initialisation on the thread each time
// it is shown, whoever shows it. What a balanced use of the dialog, written
// out here, leaves behind is the yardstick for the picker's balance.
std::string PickWithABalancedDialog() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return "";
  IFileDialog* dialog = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IFileDialog, reinterpret_cast<void**>(&dialog)))) {
    DWORD options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_PICKFOLDERS);
    dialog->SetTitle(L"Select folder to save");
    dialog->Show(nullptr);
    dialog->Release();
  }
  CoUninitialize();
  return "";
}

TEST(FolderPickerDialog, CancelGivesEmptyResultAndLeavesComAsItWas) {
  const PickerRun yardstick = CancelOnFreshThread(Apartment::kNone, true, PickWithABalancedDialog);
  ASSERT_EQ(yardstick.mismatch, "");

  const PickerRun run = CancelOnFreshThread(Apartment::kNone, true, PickWithThePicker);

  EXPECT_EQ(run.folder, "");
  EXPECT_EQ(run.mismatch, "");
  EXPECT_EQ(run.com_after, yardstick.com_after);
}

TEST(FolderPickerDialog, ThreadInMultithreadedApartmentGetsNoDialogAndKeepsIt) {
  const PickerRun run = CancelOnFreshThread(Apartment::kMultithreaded, false, PickWithThePicker);

  EXPECT_EQ(run.folder, "");
  EXPECT_EQ(run.mismatch, "") << "a dialog appeared";
  EXPECT_EQ(run.com_after, (ComState{Apartment::kMultithreaded, 1}));
}

// ---- the fake dialog: every step's failure --------------------------------

struct FakeRun {
  FakeDialogLog fake;
  std::string folder;
  ComState com_before{};
  ComState com_after{};
};

// The fake needs COM on the thread to be registered: the picker meets a
// single-threaded apartment there already.
FakeRun PickWithFake(const FakeDialogScript& script) {
  return OnFreshThread([&] {
    EnterApartment(Apartment::kSingleThreaded);
    FakeRun run;
    // Measuring leaves COM for a moment, which would revoke the fake class;
    // so it happens while the fake is not registered.
    run.com_before = MeasureCom();
    run.fake = RunWithFakeDialog(script, [&] { run.folder = SelectFolder(kSaveTitle).path; });
    run.com_after = MeasureCom();
    LeaveCom();
    return run;
  });
}

// The steps of a call up to and including the named one, as the fake logs
// them; the real dialog starts from options 0x1808.
const std::vector<std::string> kUpToCreation = {
    "CoInitializeEx(APARTMENTTHREADED) -> S_FALSE",
    "factory.CreateInstance -> S_OK",
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

// Each outcome releases exactly what was acquired, in reverse: path buffer,
// item, dialog, then the COM initialisation. Results that only set the
// dialog up are ignored: the dialog is shown all the same.
struct OutcomeRow {
  const char* what;
  void (*script)(FakeDialogScript&);
  const char* folder;               // what the picker returns
  std::vector<std::string> events;  // the whole call as the fake logs it
};

TEST(FolderPickerSteps, EveryOutcomeReleasesWhatItAcquiredInReverse) {
  const OutcomeRow rows[] = {
      {"a folder is chosen", [](FakeDialogScript&) {}, "C:\\scenes",
       Then(kUpToShow, {"dialog.GetResult", "item.GetDisplayName(SIGDN_FILESYSPATH)",
                        "CoTaskMemFree(path)", "item.Release -> 0", "dialog.Release -> 0",
                        "CoUninitialize"})},
      {"Show fails", [](FakeDialogScript& s) { s.show = E_FAIL; }, "",
       Then(kUpToShow, {"dialog.Release -> 0", "CoUninitialize"})},
      {"GetResult fails", [](FakeDialogScript& s) { s.get_result = E_FAIL; }, "",
       Then(kUpToShow, {"dialog.GetResult", "dialog.Release -> 0", "CoUninitialize"})},
      {"GetDisplayName fails: no buffer to free",
       [](FakeDialogScript& s) { s.get_display_name = E_FAIL; }, "",
       Then(kUpToShow, {"dialog.GetResult", "item.GetDisplayName(SIGDN_FILESYSPATH)",
                        "item.Release -> 0", "dialog.Release -> 0", "CoUninitialize"})},
      {"creation fails: only COM to leave",
       [](FakeDialogScript& s) { s.create = REGDB_E_CLASSNOTREG; }, "",
       {"CoInitializeEx(APARTMENTTHREADED) -> S_FALSE",
        "factory.CreateInstance -> REGDB_E_CLASSNOTREG", "CoUninitialize"}},
      // A GetOptions that fails is not trusted with what it wrote: the
      // folder flags go on top of no options.
      {"the set-up calls fail",
       [](FakeDialogScript& s) {
         s.get_options = E_FAIL;
         s.options = 0xFFFFFFFF;
         s.set_options = E_INVALIDARG;
         s.set_title = E_FAIL;
       },
       "C:\\scenes",
       Then(kUpToCreation,
            {"dialog.GetOptions", "dialog.SetOptions(0x00000060)",
             "dialog.SetTitle(\"Select folder to save\")", "dialog.Show(owner 0x00000000)",
             "dialog.GetResult", "item.GetDisplayName(SIGDN_FILESYSPATH)",
             "CoTaskMemFree(path)", "item.Release -> 0", "dialog.Release -> 0",
             "CoUninitialize"})},
  };
  for (const OutcomeRow& row : rows) {
    SCOPED_TRACE(row.what);
    FakeDialogScript script;
    row.script(script);
    const FakeRun run = PickWithFake(script);

    ASSERT_EQ(run.fake.setup_error, "");
    EXPECT_EQ(run.folder, row.folder);
    EXPECT_EQ(run.fake.events, row.events);
    EXPECT_EQ(run.fake.live_objects, 0);
    EXPECT_EQ(run.com_after, run.com_before);
  }
}

// ---- the chosen path's ANSI bytes -------------------------------------------

// Its bytes, counted in bytes and without a terminator (null: whatever the
// converter guesses), and whether they name that folder and no look-alike.
struct Spelling {
  const wchar_t* text;
  const char* bytes;
  bool exact;
};

void ExpectSpellings(std::initializer_list<Spelling> rows) {
  for (const Spelling& row : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.text)));
    const std::string ansi = WideToAnsi(row.text);
    if (row.bytes != nullptr) {
      EXPECT_EQ(ansi, row.bytes);
    }
    EXPECT_EQ(AnsiDecodesBackTo(ansi, row.text), row.exact);
  }
}

TEST(WideToAnsi, ExactOnlyWhereTheBytesDecodeBackToTheText) {
  ASSERT_EQ(GetACP(), 932u);
  ExpectSpellings({
      {L"", "", true},
      {L"C:\\\u30b7\u30fc\u30f3\\", "C:\\\x83\x56\x81\x5B\x83\x93\\", true},  // C:\シーン\, two bytes a character
      {L"caf\u00e9", "cafe", false},  // café
      {L"x\u00a5y", "x\\y", false},   // x¥y: the yen sign becomes a backslash
  });
}

// Characters users meet in folder names. Code page 932 is Shift_JIS as
// Windows extends it: its NEC and IBM rows hold the circled digits and 髙, so
// those paths are taken. What it lacks is spelled with a look-alike or "?",
// whose bytes are the converter's best guess and matter only in that they
// decode to another text, so those rows check exactness alone (é: café
// above).
TEST(WideToAnsi, Cp932HoldsItsExtensionsAndNothingBeyond) {
  ASSERT_EQ(GetACP(), 932u);
  ExpectSpellings({
      {L"\u2460", "\x87\x40", true},                  // ①, an NEC row
      {L"\u9ad9\u6a4b", "\xFB\xFC\x8B\xB4", true},    // 髙橋, an IBM row
      {L"\u266a\u2605", "\x81\xF4\x81\x9A", true},    // ♪★, JIS X 0208
      {L"\uff5e\uff0d", "\x81\x60\x81\x7C", true},    // ～－, what 932 has for 〜 and −
      // 𠮷 (U+20BB7, the 吉 whose top is 土, a surrogate pair) in a user's folder
      {L"C:\\Users\\\U00020BB7\u7530\\Documents", nullptr, false},
      {L"take\u301c2", nullptr, false},  // the wave dash, not the fullwidth tilde ～
      {L"take\u22122", nullptr, false},  // the minus sign, not the fullwidth hyphen-minus －
      {L"\U0001F600", nullptr, false},   // an emoji, a surrogate pair too
  });
}

TEST(WideToAnsi, Cp1252ExactOnlyWhereTheBytesDecodeBackToTheText) {
  ASSERT_EQ(GetACP(), 1252u);
  ExpectSpellings({
      {L"", "", true},
      {L"caf\u00e9", "caf\xE9", true},        // café
      {L"t\u0101g", "tag", false},           // tāg
      {L"\u30b7\u30fc\u30f3", "???", false},  // シーン
  });
}

}  // namespace
