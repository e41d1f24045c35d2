// "exoファイルを一気にエクスポート" end to end: the real DLL in the sandbox
// host, the stand-in extended editing writing the files, and the folder
// dialog answered from the test.
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
  // Exactly the files of `scenes` in `folder`, each saved while its scene
  // was current.
  void ExpectWritten(const std::wstring& folder, const std::vector<int>& scenes) {
    EXPECT_EQ(FilesIn(folder), SceneFileNames(scenes));
    EXPECT_EQ(Saves(calls()), SceneFileCalls(Ansi(folder), scenes));
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

  EXPECT_EQ(FilesIn(folder), SceneFileNames({0, 3, 5, 10, 49}));
  EXPECT_EQ(Saves(calls()), SceneFileCalls(Ansi(folder), {0, 3, 10, 49}));
  EXPECT_EQ(ReadFileBytes(folder + L"\\scene_5.exo"), "from an earlier export");
  EXPECT_NE(ReadFileBytes(folder + L"\\scene_root.exo"), "old root");
  EXPECT_EQ(SceneSwitches(calls()), AllScenesThenRoot());
  EXPECT_EQ(calls().current_scene, 0);
  ASSERT_EQ(host().answerer().folder_dialogs().size(), 1u);
  EXPECT_EQ(host().answerer().folder_dialogs()[0].title, L"Select folder to save");
  EXPECT_TRUE(host().answerer().message_boxes().empty()) << "no message at the end";
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
      host().SetCheck(trebbo(), 0, step.box);
    }
    calls().call_count = 0;
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
  for (const std::wstring& name : FilesIn(L"T:")) DeleteFileW((L"T:\\" + name).c_str());
  session().AddObjects(4, 1);

  Run(kExportAll, L"T:\\");

  EXPECT_EQ(Saves(calls()), SceneFileCalls("T:\\", {0, 4}));  // "T:\\\\scene_root.exo", ...
  EXPECT_EQ(FilesIn(L"T:"), SceneFileNames({0, 4}));
}

// Folders whose names the ANSI code page cannot spell are refused like
// missing ones, even where the look-alike it makes of the name is a folder
// beside them; the folder given after them receives the scenes.
// Runs under both code pages, each with folder names of its own.
TEST_F(Export, FoldersTheCodePageCannotSpellAreRefusedInEitherCodePage) {
  session().AddObjects(0, 1);
  const std::wstring usable = NewScratchFolder(L"export");

  RunRefusingUnnamable(kExportAll, usable);

  ExpectWritten(usable, {0});
}

// Scene paths must fit in MAX_PATH: the folder, "\" and "scene_root.exo".
// A folder one byte too long is refused like a missing one.
TEST_F(Export, FolderTooLongForItsScenePathsIsRefusedLikeAMissingOne) {
  const std::wstring base = NewScratchFolder(L"long");
  // Nested folders of `letter`s, 100 a level, until the path has exactly
  // `length` bytes.
  auto folder_of_length = [&](size_t length, wchar_t letter) {
    std::wstring relative(length - base.size() - 1, letter);
    for (size_t at = 100; at + 1 < relative.size(); at += 101) relative[at] = L'\\';
    return MakeFolders(base, relative);
  };
  const std::wstring too_long = folder_of_length(245, L'a');
  const std::wstring longest = folder_of_length(244, L'b');
  ASSERT_EQ(Ansi(too_long).size(), 245u);
  ASSERT_EQ(Ansi(longest).size(), 244u);
  host().answerer().QueueFolder(FolderDialogTitle(kExportAll), too_long);
  host().answerer().QueueMessageBox(L"Trebbo");
  host().answerer().QueueFolder(FolderDialogTitle(kExportAll), longest);

  EXPECT_FALSE(host().ChooseMenu(kExportAll));

  ASSERT_EQ(host().answerer().message_boxes().size(), 1u);
  EXPECT_EQ(host().answerer().message_boxes()[0].text_ansi, sjis::kMsgFolderMissing);
  EXPECT_EQ(host().answerer().folder_dialogs().size(), 2u);
  EXPECT_TRUE(FilesIn(too_long).empty());
  ExpectWritten(longest, {0});
  ASSERT_EQ(Saves(calls()).size(), 1u);
  EXPECT_EQ(Saves(calls())[0].path.size(), 259u);
}

// Extended editing's record gone from the host's list between the init
// message and the command: nothing of extended editing is called with a null
// record; the command ends quietly.
TEST_F(Export, WithoutAFilterNamedExeditNothingIsSwitchedOrSaved) {
  host().Find("exedit.auf")->record.name = "renamed";
  session().AddObjects(0, 1);
  const std::wstring folder = NewScratchFolder(L"export");

  Run(kExportAll, folder);

  EXPECT_EQ(calls().call_count, 0);
  EXPECT_TRUE(FilesIn(folder).empty());
  EXPECT_TRUE(host().answerer().message_boxes().empty());
}

}  // namespace
