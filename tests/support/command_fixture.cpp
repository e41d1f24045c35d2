#include "tests/support/command_fixture.h"

#include <windows.h>

#include "tests/support/sjis_texts.h"

namespace testing_support {

namespace {

// A folder name the ANSI code page cannot spell, and the name it makes of it
// instead (null when no folder can bear that name).
struct UnnamableFolder {
  const wchar_t* name;
  const wchar_t* look_alike;
};

std::vector<UnnamableFolder> UnnamableFolders() {
  if (GetACP() == 1252) {
    return {{L"\u66f8\u304d\u51fa\u3057", nullptr},  // 書き出し: "????"
            {L"t\u0101g", L"tag"}};                    // tāg
  }
  return {{L"caf\u00e9", L"cafe"},   // café
          {L"x\u00a5y", L"x\\y"}};  // x¥y: the yen sign becomes a backslash
}

}  // namespace

std::wstring FolderOfLength(const std::wstring& base, size_t length, wchar_t letter) {
  std::wstring relative(length - base.size() - 1, letter);
  for (size_t at = 100; at + 1 < relative.size(); at += 101) relative[at] = L'\\';
  return MakeFolders(base, relative);
}

void CommandTest::OpenFreshProject() {
  if (session_) session_->ExpectClosedCleanly();
  session_ = std::make_unique<SandboxSession>();
  exedit_ = session_->LoadExedit();
  ASSERT_NE(exedit_, nullptr) << host().last_error();
  ASSERT_NE(session_->standin(), nullptr);
  trebbo_ = session_->LoadTrebbo();
  ASSERT_NE(trebbo_, nullptr) << host().last_error();
  host().SendInit();
  ASSERT_EQ(host().menu().size(), 2u) << "the plug-in did not arm its menu";
  calls().clear();
}

void CommandTest::Run(int id, const std::wstring& folder) {
  answerer().ExpectFolderDialog(FolderDialogTitle(id), folder);
  EXPECT_FALSE(host().ChooseMenu(id));
}

void CommandTest::RunRefusingFolders(int id, const std::wstring& usable) {
  const std::wstring base = NewScratchFolder(L"refused");
  const std::string title = FolderDialogTitle(id);
  const sandbox::Window message = TrebboMessage(sjis::kMsgFolderMissing, trebbo()->window);
  // Wine's dialog hands back a typed path that names no folder, after a box
  // of its own saying so; on Windows a folder removed after the pick does
  // the same.
  answerer().ExpectFolderDialog(title, base + L"\\missing");
  answerer().ExpectSystemMessageBox("");
  answerer().ExpectMessageBox(message);
  for (const UnnamableFolder& row : UnnamableFolders()) {
    const std::wstring chosen = base + L"\\" + row.name;
    ASSERT_TRUE(CreateDirectoryW(chosen.c_str(), nullptr));
    answerer().ExpectFolderDialog(title, chosen);
    answerer().ExpectMessageBox(message);
    if (row.look_alike == nullptr) continue;
    const std::wstring look_alike = MakeFolders(base, row.look_alike);
    ASSERT_EQ(Ansi(chosen), Ansi(look_alike)) << "the code page merges the two names";
    ASSERT_TRUE(WriteFileBytes(look_alike + L"\\scene_root.exo", "[standin-exo]\r\nscene=0\r\n"));
    ASSERT_TRUE(WriteFileBytes(look_alike + L"\\scene_2.exo", "[standin-exo]\r\nscene=2\r\n"));
  }
  // One byte more than the longest folder whose scene paths fit in MAX_PATH.
  answerer().ExpectFolderDialog(title, FolderOfLength(base, 245, L'x'));
  answerer().ExpectMessageBox(message);
  answerer().ExpectFolderDialog(title, usable);
  const auto before = FileTree(base);
  ASSERT_FALSE(before.empty()) << "the look-alikes hold scene files";

  EXPECT_FALSE(host().ChooseMenu(id));

  EXPECT_EQ(FileTree(base), before) << "nothing changed beside the usable folder";
}

}  // namespace testing_support
