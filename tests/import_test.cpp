// "exoファイルを一気にインポート" end to end, and the round trip through
// both commands.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/command_fixture.h"

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

TEST_F(Import, LoadsEachSceneFileIntoItsSceneEachTimeAndEndsOnTheRoot) {
  const std::wstring folder = ExportedFolder({0, 2});
  ASSERT_EQ(FilesIn(folder).size(), 2u);

  Run(kImportAll, folder);
  Run(kImportAll, folder);

  EXPECT_EQ(Loads(calls()), SceneFileCalls(Ansi(folder), {0, 2, 0, 2}));
  const std::vector<int> once = AllScenesThenRoot();
  std::vector<int> switches = once;
  switches.insert(switches.end(), once.begin(), once.end());
  EXPECT_EQ(SceneSwitches(calls()), switches) << "every scene is switched to, file or not";
  EXPECT_EQ(calls().current_scene, 0);
  for (int i = 0; i < calls().call_count; ++i) {
    const StandinCall& call = calls().calls[i];
    if (call.routine != kStandinLoad) continue;
    EXPECT_EQ(call.a, 0);
    EXPECT_EQ(call.b, 0);
    EXPECT_EQ(call.caller, &trebbo()->record);
    EXPECT_EQ(call.edit, host().edit_handle());
  }
  const auto& dialogs = host().answerer().folder_dialogs();
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].title, L"Select folder to import");
  EXPECT_TRUE(host().answerer().message_boxes().empty());
}

// Only the exact names count; the root file is tried whether it is there or
// not, and its absence is extended editing's matter.
TEST_F(Import, OtherFileNamesAreNeverLoaded) {
  const std::wstring folder = NewScratchFolder(L"odd-names");
  ASSERT_TRUE(WriteFileBytes(folder + L"\\scene_02.exo", "[standin-exo]\r\nscene=2\r\n"));
  ASSERT_TRUE(WriteFileBytes(folder + L"\\scene_50.exo", "[standin-exo]\r\nscene=50\r\n"));
  ASSERT_TRUE(WriteFileBytes(folder + L"\\scene_0.exo", "[standin-exo]\r\nscene=0\r\n"));

  Run(kImportAll, folder);

  EXPECT_EQ(Loads(calls()), SceneFileCalls(Ansi(folder), {0}));
  EXPECT_EQ(SceneSwitches(calls()), AllScenesThenRoot());
}

// Folders whose names the ANSI code page cannot spell are refused like
// missing ones, even where the look-alike it makes of the name is a folder
// of scene files beside them; the folder given after them is imported.
// Runs under both code pages, each with folder names of its own.
TEST_F(Import, FoldersTheCodePageCannotSpellAreRefusedInEitherCodePage) {
  const std::wstring usable = ExportedFolder({0, 3});

  RunRefusingUnnamable(kImportAll, usable);

  EXPECT_EQ(Loads(calls()), SceneFileCalls(Ansi(usable), {0, 3}));
  EXPECT_TRUE(ObjectsOf(calls(), 2).empty()) << "the look-alike's scene_2.exo was loaded";
}

// Every scene comes back whole through a folder with a Japanese name, which
// the code page spells in two bytes a character.
TEST_F(Import, RoundTripThroughAJapaneseFolderGivesBackEveryScene) {
  ASSERT_EQ(GetACP(), 932u);
  for (int scene : {0, 1, 3, 10, 49}) session().AddObjects(scene, scene % 4 + 1);
  std::vector<std::vector<std::string>> before;
  for (int scene = 0; scene <= 49; ++scene) before.push_back(ObjectsOf(calls(), scene));
  const std::wstring folder = NewScratchFolder(L"\u30b7\u30fc\u30f3\u4fdd\u5b58");  // シーン保存
  Run(kExportAll, folder);

  OpenFreshProject();
  Run(kImportAll, folder);

  EXPECT_EQ(Loads(calls()), SceneFileCalls(Ansi(folder), {0, 1, 3, 10, 49}));
  std::vector<std::vector<std::string>> after;
  for (int scene = 0; scene <= 49; ++scene) after.push_back(ObjectsOf(calls(), scene));
  EXPECT_EQ(after, before);
}

}  // namespace
