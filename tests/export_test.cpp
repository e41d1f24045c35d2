// "exoファイルを一気にエクスポート" end to end: the real DLL in the sandbox
// host, the stand-in extended editing writing the files, and the folder
// dialog answered from the test. Each scenario compares every call the
// command made into the host and into extended editing, every argument
// included.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/command_fixture.h"
#include "tests/support/sjis_texts.h"

namespace {

using namespace testing_support;

class Export : public CommandTest {
 protected:
  // Exactly the files of `scenes` in `folder`, written by one whole export.
  void ExpectWritten(const std::wstring& folder, const std::vector<int>& scenes) {
    EXPECT_EQ(calls(), ExportCalls(folder, scenes));
    EXPECT_EQ(FilesIn(folder), SceneFileNames(scenes));
  }
};

// Files already in the folder are overwritten where a scene is written and
// left as they were where it is skipped.
TEST_F(Export, WritesTheRootEvenEmptyAndTheScenesWithObjectsAndEndsOnTheRoot) {
  session().AddObjects(3, 1);
  session().AddObjects(10, 1);
  session().AddObjects(49, 3);
  const std::wstring folder = NewScratchFolder(L"export");
  ASSERT_TRUE(WriteFileBytes(folder + L"\\scene_5.exo", "from an earlier export"));
  ASSERT_TRUE(WriteFileBytes(folder + L"\\scene_root.exo", "old root"));

  Run(kExportAll, folder);

  EXPECT_EQ(calls(), ExportCalls(folder, {0, 3, 10, 49}));
  EXPECT_EQ(FilesIn(folder), SceneFileNames({0, 3, 5, 10, 49}));
  EXPECT_EQ(ReadFileBytes(folder + L"\\scene_5.exo"), "from an earlier export");
  EXPECT_NE(ReadFileBytes(folder + L"\\scene_root.exo"), "old root");
}

// The checkbox is read from the host at each export of one project, and a
// host that keeps no live values (a null pointer at byte offset 72 of the
// record) leaves it at its default, on. Each step's value differs from the
// one before, so a value kept from an earlier export shows.
TEST_F(Export, CheckboxIsReadAtEachExportAndWithoutLiveValuesCountsAsOn) {
  session().AddObjects(2, 1);
  std::vector<int> every_scene;
  for (int scene = 0; scene <= 49; ++scene) every_scene.push_back(scene);
  constexpr int kNoLiveValues = -1;
  const struct {
    const char* what;
    int box;
    std::vector<int> written;
  } steps[] = {
      {"off", 0, every_scene},
      {"on again", 1, {0, 2}},
      {"off again", 0, every_scene},
      {"no live values", kNoLiveValues, {0, 2}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    if (step.box == kNoLiveValues) {
      trebbo()->record.check_values = nullptr;
    } else {
      trebbo()->check_values[0] = step.box;
    }
    calls().clear();
    const std::wstring folder = NewScratchFolder(L"export");

    Run(kExportAll, folder);

    ExpectWritten(folder, step.written);
  }
}

// A drive root already ends in "\"; one more is appended all the same, and
// the doubled separator still names the file.
TEST_F(Export, FolderEndingInBackslashGetsAnotherAndTheFilesLand) {
  ASSERT_NE(GetDriveTypeW(L"T:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR))
      << "the test prefix maps T: to a scratch folder (scripts/prepare-wineprefix.sh)";
  for (const std::wstring& name : FilesIn(L"T:\\")) DeleteFileW((L"T:\\" + name).c_str());
  session().AddObjects(4, 1);

  Run(kExportAll, L"T:\\");

  ExpectWritten(L"T:\\", {0, 4});  // "T:\\\\scene_root.exo", ...
}

// Runs under both code pages, each with folder names of its own. The folder
// given after the refused ones is the longest whose scene paths still fit in
// MAX_PATH: 244 bytes, "\" and "scene_root.exo" make 259.
TEST_F(Export, RefusesEveryUnusableFolderWithTheMessageInEitherCodePage) {
  session().AddObjects(0, 1);
  const std::wstring longest = FolderOfLength(NewScratchFolder(L"longest"), 244, L'b');
  ASSERT_EQ(Ansi(longest).size(), 244u);

  RunRefusingFolders(kExportAll, longest);

  ExpectWritten(longest, {0});
}

// Extended editing's record gone from the host's list, before a command or
// in the middle of it: no routine of extended editing is handed a null
// record, and the command stops quietly at the lookup that finds none. The
// record is back at the next lookup, so a command that went on looking would
// find it and carry on.
TEST_F(CommandTest, EitherCommandStopsWhereExeditLeavesTheHostsList) {
  for (int scene : {0, 2, 40}) session().AddObjects(scene, 1);
  const std::wstring folder = NewScratchFolder(L"leaving");
  Run(kExportAll, folder);
  const char* const name = exedit()->record.name;
  for (int id : {kExportAll, kImportAll}) {
    for (int found : {0, 1, 30, 50}) {
      SCOPED_TRACE((id == kExportAll ? "export, " : "import, ") + std::to_string(found) +
                   " lookups found it");
      calls().clear();
      host().DropForOneLookup(exedit(), found);

      Run(id, folder);

      const std::vector<Call> whole = id == kExportAll ? ExportCalls(folder, {0, 2, 40})
                                                       : ImportCalls(folder, {0, 2, 40});
      EXPECT_EQ(calls(), StoppedAtLookup(whole, found, context()));
      exedit()->record.name = name;
    }
  }
}

}  // namespace
