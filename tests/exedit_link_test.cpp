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

// While set, every operator new of this program throws, to see what the
// plug-in's code, linked in, does when memory runs out.
std::atomic<bool> fail_allocations{false};

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

// A command that runs out of memory must end quietly: an exception reaching
// the host, built by another compiler, would end the editor and the user's
// unsaved project with it. The plug-in's code is linked into this program so
// that its allocations can be made to fail. It resolves the link, which then
// stays resolved for the process, so it runs in the exedit_link entry's.
TEST(ExeditLink, RunningOutOfMemoryEndsEitherCommandQuietly) {
  HMODULE standin = LoadLibraryA(testing_support::ExeditStandinPath().c_str());
  ASSERT_NE(standin, nullptr);
  ASSERT_TRUE(ExeditLink::Resolve());

  sandbox::DialogAnswerer answerer;
  sandbox::Host host;
  ASSERT_NE(host.LoadPlugin(testing_support::ExeditStandinPath()), nullptr);
  FilterRecord* own = &host.AddBareFilter("Trebbo", nullptr)->record;
  // Room for far more calls than a command would make before its first
  // allocation, so that the record itself would not need one.
  host.calls().reserve(256);

  for (WPARAM command : {1025u, 1026u}) {
    BOOL result = TRUE;
    bool escaped = false;
    fail_allocations = true;
    try {
      result = FilterWndProc(nullptr, kHostMsgCommand, command, 0, host.edit_handle(), own);
    } catch (...) {
      escaped = true;
    }
    fail_allocations = false;
    EXPECT_FALSE(escaped) << command;
    EXPECT_FALSE(result) << command;
  }
  EXPECT_EQ(host.calls(), std::vector<sandbox::Call>{})
      << "nothing reached the host or extended editing";
  EXPECT_EQ(answerer.Mismatch(), "") << "no window, not even the folder dialog";
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
  if (fail_allocations) throw std::bad_alloc();
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
