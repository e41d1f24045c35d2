// The shipped DLL loaded and freed again and again in one editor process.
// Whatever its runtime takes from the process at a load must be given back at
// the unload; thread-local-storage indices above all, since a process with
// none left is ended by the next load of a DLL that wants one.
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/command_fixture.h"
#include "tests/support/sandbox_session.h"
#include "tests/support/test_paths.h"

namespace {

using namespace testing_support;

constexpr int kLoadCycles = 20;

// How many TLS indices the process has left: taken until none is left (or
// far more than any system has), then all given back.
int FreeTlsIndices() {
  std::vector<DWORD> taken;
  taken.reserve(4096);
  while (taken.size() < 65536) {
    const DWORD index = TlsAlloc();
    if (index == TLS_OUT_OF_INDEXES) break;
    taken.push_back(index);
  }
  for (const DWORD index : taken) TlsFree(index);
  return static_cast<int>(taken.size());
}

// One stay of the plug-in in the process, as the editor gives it: load,
// GetFilterTable, init callback, the init message, one export through its
// menu entry with the folder dialog answered, then the exit callback, which
// must answer TRUE, and the unload. Extended editing is loaded already and
// stays loaded: the host's load only adds a reference to it.
void ExportInOneLoadOfThePlugin(const std::wstring& folder) {
  SandboxSession session;
  const sandbox::LoadedFilter* exedit = session.LoadExedit();
  ASSERT_NE(exedit, nullptr) << session.host().last_error();
  const sandbox::LoadedFilter* trebbo = session.LoadTrebbo();
  ASSERT_NE(trebbo, nullptr) << session.host().last_error();
  session.host().SendInit();
  ASSERT_EQ(session.host().menu().size(), 2u) << "the plug-in did not arm";
  session.host().calls().clear();
  session.answerer().ExpectFolderDialog(FolderDialogTitle(kExportAll), folder);
  session.host().ChooseMenu(kExportAll);
  session.host().Unload();  // the exit callbacks, then FreeLibrary

  EXPECT_EQ(session.answerer().Mismatch(), "");
  std::vector<Call> expected =
      ExportCalls(ContextIn(session.host(), *exedit, *trebbo), folder, {0, 6});
  expected.push_back({Call::Kind::kExit, TRUE, &trebbo->record});
  EXPECT_EQ(session.host().calls(), expected);
  EXPECT_EQ(GetModuleHandleA("trebbo.auf"), nullptr) << "trebbo.auf stayed loaded";
}

TEST(PluginReload, EveryLoadGivesBackItsTlsIndicesAndExports) {
  // Held by the test throughout: extended editing is not what is under test.
  const std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)>
      exedit(LoadLibraryA(ExeditStandinPath().c_str()), &FreeLibrary);
  ASSERT_NE(exedit, nullptr) << ExeditStandinPath();
  {
    // A project with objects in the root scene and scene 6 only.
    SandboxSession session;
    ASSERT_NE(session.LoadExedit(), nullptr) << session.host().last_error();
    std::memset(session.standin(), 0, sizeof(StandinControl));
    session.AddObjects(0, 1);
    session.AddObjects(6, 2);
  }
  const std::wstring folder = NewScratchFolder(L"reload");

  // One cycle before counting: what the system keeps for good the first
  // time a process shows the folder dialog is not the plug-in's to give
  // back. A runtime that takes an index at each load of the DLL still loses
  // one in every counted cycle.
  ExportInOneLoadOfThePlugin(folder);
  const int free_before = FreeTlsIndices();
  for (int cycle = 1; cycle <= kLoadCycles && !HasFailure(); ++cycle) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    ExportInOneLoadOfThePlugin(folder);
  }
  const int free_after = FreeTlsIndices();

  EXPECT_EQ(free_after, free_before)
      << kLoadCycles << " loads and frees of the plug-in took "
      << free_before - free_after << " TLS indices for good";
}

}  // namespace
