// The link to extended editing, against the stand-in loaded in this process,
// and the lookup of filters by name against the sandbox host's list.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "exedit/exedit_link.h"
#include "host/filter_lookup.h"
#include "plugin/filter_callbacks.h"
#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/dialog_answerer.h"
#include "sandbox/host/find_standin.h"
#include "sandbox/host/sandbox_host.h"
#include "sandbox/host/text_conversion.h"
#include "tests/support/expected_calls.h"
#include "tests/support/sjis_texts.h"
#include "tests/support/test_paths.h"

namespace {

// The allocations of one thread, counted while it is set, to see what the
// plug-in's code, linked in, does when memory runs out: the one numbered
// `fail_at` (from 1) throws. Other threads, such as the dialog answerer's,
// allocate as usual.
std::atomic<DWORD> counting_thread{0};
struct Allocations {
  int count;
  int fail_at;  // 0: none fails
  bool failed;
};
Allocations allocations{0, 0, false};

// The link is resolved once per process and never given up, so one scenario
// walks it from unresolved (no exedit.auf loaded) to resolved and uses it.
TEST(ExeditLink, ResolvesOnlyAnAlreadyLoadedModuleAndReachesItsRoutines) {
  ASSERT_EQ(GetModuleHandleA("exedit.auf"), nullptr) << "an earlier test left it loaded";
  EXPECT_FALSE(ExeditLink::Resolve());

  // Loaded here for good, as the link will point into it; the host loads it
  // too, to record its routine calls.
  ASSERT_NE(LoadLibraryA(testing_support::ExeditStandinPath().c_str()), nullptr) << GetLastError();
  sandbox::Host host;
  const sandbox::LoadedFilter* standin = host.LoadPlugin(testing_support::ExeditStandinPath());
  ASSERT_NE(standin, nullptr) << host.last_error();
  StandinControl* control = sandbox::StandinOf(standin->module);
  ASSERT_NE(control, nullptr);

  ASSERT_TRUE(ExeditLink::Resolve());

  // The count is read anew each time, so it follows every switch. The
  // objects' labels are left empty.
  const int objects[] = {2, 0, 0, 5};
  for (int scene = 0; scene < 4; ++scene) control->scenes[scene].count = objects[scene];
  control->scenes[49].count = 1;
  FilterRecord exedit_record{};
  int edit_session = 0;
  std::vector<int> counts;
  for (int scene : {3, 0, 1, 49, 3}) {
    ExeditLink::ChangeScene(scene, &exedit_record, &edit_session);
    counts.push_back(ExeditLink::ObjectCount());
  }
  EXPECT_EQ(counts, (std::vector<int>{5, 2, 0, 1, 5}));

  // Every routine gets its arguments unchanged and gives back its result: a
  // saved scene loads; a missing file does not.
  std::wstring folder = testing_support::NewScratchFolder(L"link");
  const std::string path = sandbox::Ansi(folder) + "\\scene_3.exo";
  host.calls().clear();
  EXPECT_EQ(ExeditLink::SaveExo(path.c_str()), 1);
  ExeditLink::ChangeScene(1, &exedit_record, &edit_session);
  EXPECT_EQ(ExeditLink::LoadExo(path.c_str(), 0, 0, &exedit_record, &edit_session), 1);
  EXPECT_EQ(ExeditLink::ObjectCount(), 5);
  EXPECT_EQ(ExeditLink::LoadExo((path + ".missing").c_str(), 7, 8, nullptr, nullptr), 0);
  using Kind = sandbox::Call::Kind;
  const std::vector<sandbox::Call> expected = {
      {Kind::kSave, 3, nullptr, nullptr, path},
      {Kind::kChangeScene, 1, &exedit_record, &edit_session},
      {Kind::kLoad, 1, &exedit_record, &edit_session, path},
      {Kind::kLoad, 1, nullptr, nullptr, path + ".missing", nullptr, 7, 8},
  };
  EXPECT_EQ(host.calls(), expected);
}

// Saves and loads the stand-in reported while a command ran, counted without
// allocating: the host's record of them would allocate on the thread whose
// allocations are made to fail.
int saves_and_loads = 0;
void __cdecl CountSaveOrLoad(const StandinCall* call) {
  if (call->routine != kStandinChangeScene) ++saves_and_loads;
}

// A command that runs out of memory must end quietly, having saved and loaded
// nothing: an exception reaching the host, built by another compiler, would
// end the editor and the user's unsaved project with it, and a command
// stopped between two saves or loads would leave a folder or a project half
// done, on some scene in the middle. Every allocation a whole command makes is
// made to fail in turn; each time, the callback returns FALSE with nothing
// escaping, nothing saved or loaded, no window but the folder dialog, and the
// editor on the scene it was on or on the root scene. The first allocation
// comes before the command calls the host or opens any window. The plug-in's
// code is linked into this program so that its allocations can be made to
// fail. It resolves the link, which then stays resolved for the process, so
// it runs in the exedit_link entry's.
TEST(ExeditLink, RunningOutOfMemoryEndsEitherCommandBeforeAnySaveOrLoad) {
  HMODULE standin = LoadLibraryA(testing_support::ExeditStandinPath().c_str());
  ASSERT_NE(standin, nullptr);
  ASSERT_TRUE(ExeditLink::Resolve());

  sandbox::Host host;
  const sandbox::LoadedFilter* exedit = host.LoadPlugin(testing_support::ExeditStandinPath());
  ASSERT_NE(exedit, nullptr) << host.last_error();
  StandinControl* control = sandbox::StandinOf(exedit->module);
  FilterRecord* own = &host.AddBareFilter("Trebbo", nullptr)->record;
  // The host records only its services' calls, which then need no allocation.
  control->report = CountSaveOrLoad;
  host.calls().reserve(256);
  for (StandinScene& scene : control->scenes) scene.count = 0;
  control->scenes[3].count = 1;
  constexpr int kSceneBefore = 7;
  const std::wstring folder = testing_support::NewScratchFolder(L"out-of-memory");

  // The export first: the import reads what it wrote. Allocation 0 is none:
  // the whole command, whose allocations are counted.
  for (WPARAM command : {1026u, 1025u}) {
    int whole = 0;
    for (int fail_at = 0; fail_at <= whole; ++fail_at) {
      SCOPED_TRACE("command " + std::to_string(command) + ", allocation " +
                   std::to_string(fail_at) + " of " + std::to_string(whole));
      saves_and_loads = 0;
      control->current_scene = kSceneBefore;
      host.calls().clear();
      sandbox::DialogAnswerer answerer;
      answerer.ExpectFolderDialog(command == 1026 ? "Select folder to save"
                                                  : "Select folder to import",
                                  folder);
      allocations = {0, fail_at, false};
      counting_thread = GetCurrentThreadId();
      BOOL result = TRUE;
      try {
        result = FilterWndProc(nullptr, kHostMsgCommand, command, 0, host.edit_handle(), own);
      } catch (...) {
        ADD_FAILURE() << "an exception escaped";
      }
      counting_thread = 0;
      EXPECT_FALSE(result);
      if (fail_at == 0) {
        whole = allocations.count;
        EXPECT_GT(whole, 0);
        EXPECT_EQ(saves_and_loads, 2) << "the root scene and scene 3";
        EXPECT_EQ(control->current_scene, 0);
        continue;
      }
      EXPECT_TRUE(allocations.failed);
      EXPECT_EQ(saves_and_loads, 0);
      EXPECT_TRUE(control->current_scene == kSceneBefore || control->current_scene == 0)
          << control->current_scene;
      // At the first allocation no window at all, later the folder dialog.
      for (const sandbox::Window& window : answerer.seen()) {
        EXPECT_TRUE(window.expected && fail_at > 1) << window.title;
      }
      if (fail_at == 1) {
        EXPECT_EQ(host.calls(), std::vector<sandbox::Call>{});
        EXPECT_EQ(control->current_scene, kSceneBefore);
      }
    }
  }
  FreeLibrary(standin);
}

// The two lookups walk the host's list in opposite directions: of several
// filters with one name the highest index wins, of several with one
// information text the lowest. Only an exact match counts: a nameless record
// and one named by a prefix sit above the wanted ones, where the walk by name
// meets them first.
TEST(FilterLookup, NamesWinFromTheTopInformationTextsFromTheBottom) {
  sandbox::Host host;
  auto add = [&host](const char* name, const char* information) {
    return &host.AddBareFilter(name, information)->record;
  };
  FilterRecord* own = add("Trebbo", nullptr);
  FilterRecord* lower = add(sjis::kExeditName, sjis::kExeditInformation);
  FilterRecord* higher = add(sjis::kExeditName, sjis::kExeditInformation);
  add(nullptr, nullptr);
  const std::string prefix(sjis::kExeditName, 4);  // 拡張, two characters of two bytes
  add(prefix.c_str(), prefix.c_str());
  add("other", "other");

  EXPECT_EQ(CountFilters(own), 6);
  EXPECT_EQ(FindFilterByName(own, sjis::kExeditName), higher);
  EXPECT_EQ(FindFilterByInformation(own, sjis::kExeditInformation), lower);
  EXPECT_EQ(FindFilterByName(own, "Trebbo"), own) << "index 0 is searched too";
  EXPECT_EQ(FindFilterByInformation(own, "other"), &host.filters().back()->record)
      << "the last index is searched too";
  EXPECT_EQ(FindFilterByName(own, (std::string(sjis::kExeditName) + "2").c_str()), nullptr)
      << "no record has the name; a record's name is a prefix of it";
  EXPECT_EQ(FindFilterByInformation(own, sjis::kExeditName), nullptr)
      << "no record has the text; a record's text is a prefix of it";
}

}  // namespace

void* operator new(std::size_t size) {
  if (counting_thread == GetCurrentThreadId() &&
      ++allocations.count == allocations.fail_at) {
    allocations.failed = true;
    throw std::bad_alloc();
  }
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
// Out of line: inlined where the block was allocated, the free() in them
// reads to GCC as a mismatch with operator new.
[[gnu::noinline]] void operator delete(void* block) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept { std::free(block); }
