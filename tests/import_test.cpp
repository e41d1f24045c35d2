// "exoファイルを一気にインポート" end to end, and the round trip through
// both commands. Each scenario compares every call the command made into the
// host and into extended editing, every argument included.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/command_fixture.h"
#include "tests/support/sjis_texts.h"

namespace {

using namespace testing_support;

class Import : public CommandTest {
 protected:
  // A scene folder written by the export of a project with objects in
  // `scenes` (scene n holds n + 1 objects); the project is then closed and a
  // fresh, empty one opened.
  std::wstring ExportedFolder(std::initializer_list<int> scenes) {
    for (int scene : scenes) session().AddObjects(scene, scene + 1);
    const std::wstring folder = NewScratchFolder(L"scenes");
    Run(kExportAll, folder);
    OpenFreshProject();
    return folder;
  }
};

// Every file there is loaded, every time the folder is imported, and each
// switch looks extended editing's record up afresh: between the two imports
// its record is renamed and another filter is listed under its name, which
// the second import must hand on.
TEST_F(Import, LoadsEachSceneFileIntoItsSceneEachTimeWithTheRecordListedThen) {
  const std::wstring folder = ExportedFolder({0, 2});
  ASSERT_EQ(FilesIn(folder).size(), 2u);
  Run(kImportAll, folder);
  std::vector<Call> expected = ImportCalls(folder, {0, 2});

  exedit()->record.name = "renamed";
  const sandbox::LoadedFilter& listed = *host().AddBareFilter(sjis::kExeditName, nullptr);
  Run(kImportAll, folder);

  const std::vector<Call> second =
      testing_support::ImportCalls(ContextIn(host(), listed, *trebbo()), folder, {0, 2});
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(calls(), expected);
}

// Only the exact names count; the root file is tried whether it is there or
// not, and its absence is extended editing's matter.
TEST_F(Import, OtherFileNamesAreNeverLoaded) {
  const std::wstring folder = NewScratchFolder(L"odd-names");
  ASSERT_TRUE(WriteFileBytes(folder + L"\\scene_02.exo", "[standin-exo]\r\nscene=2\r\n"));
  ASSERT_TRUE(WriteFileBytes(folder + L"\\scene_50.exo", "[standin-exo]\r\nscene=50\r\n"));
  ASSERT_TRUE(WriteFileBytes(folder + L"\\scene_0.exo", "[standin-exo]\r\nscene=0\r\n"));

  Run(kImportAll, folder);

  EXPECT_EQ(calls(), ImportCalls(folder, {0}));
}

// Runs under both code pages, each with folder names of its own.
TEST_F(Import, RefusesEveryUnusableFolderWithTheMessageInEitherCodePage) {
  const std::wstring usable = ExportedFolder({0, 3});

  RunRefusingFolders(kImportAll, usable);

  EXPECT_EQ(calls(), ImportCalls(usable, {0, 3}));
}

// Every scene comes back whole through a folder with a Japanese name that
// the code page spells with 0x5C, the byte of "\", as the second byte of ソ,
// 能 and 表, the last of which ends the name.
TEST_F(Import, RoundTripThroughAJapaneseFolderGivesBackEveryScene) {
  ASSERT_EQ(GetACP(), 932u);
  for (int scene : {0, 1, 3, 10, 49}) session().AddObjects(scene, scene % 4 + 1);
  std::vector<std::vector<std::string>> before;
  for (int scene = 0; scene <= 49; ++scene) before.push_back(ObjectsOf(standin(), scene));
  const std::wstring folder = MakeFolders(NewScratchFolder(L"round-trip"),
                                          L"\u30bd\u30fc\u30b9\u6a5f\u80fd\u8868");  // ソース機能表
  ASSERT_EQ(Ansi(folder).substr(Ansi(folder).size() - 12),
            "\x83\x5C\x81\x5B\x83\x58\x8B\x40\x94\x5C\x95\x5C");
  Run(kExportAll, folder);

  OpenFreshProject();
  Run(kImportAll, folder);

  EXPECT_EQ(calls(), ImportCalls(folder, {0, 1, 3, 10, 49}));
  std::vector<std::vector<std::string>> after;
  for (int scene = 0; scene <= 49; ++scene) after.push_back(ObjectsOf(standin(), scene));
  EXPECT_EQ(after, before);
}

}  // namespace
