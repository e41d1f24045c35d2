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

void CommandTest::RunRefusingUnnamable(int id, const std::wstring& usable) {
  const std::wstring base = NewScratchFolder(L"unnamable");
  const std::vector<UnnamableFolder> rows = UnnamableFolders();
  for (const UnnamableFolder& row : rows) {
    const std::wstring chosen = base + L"\\" + row.name;
    ASSERT_TRUE(CreateDirectoryW(chosen.c_str(), nullptr));
    host().answerer().QueueFolder(FolderDialogTitle(id), chosen);
    host().answerer().QueueMessageBox(L"Trebbo");
    if (row.look_alike == nullptr) continue;
    const std::wstring look_alike = MakeFolders(base, row.look_alike);
    ASSERT_EQ(Ansi(chosen), Ansi(look_alike)) << "the code page merges the two names";
    ASSERT_TRUE(WriteFileBytes(look_alike + L"\\scene_root.exo", "[standin-exo]\r\nscene=0\r\n"));
    ASSERT_TRUE(WriteFileBytes(look_alike + L"\\scene_2.exo", "[standin-exo]\r\nscene=2\r\n"));
  }
  host().answerer().QueueFolder(FolderDialogTitle(id), usable);
  const auto before = FileTree(base);

  EXPECT_FALSE(host().ChooseMenu(id));

  const auto boxes = host().answerer().message_boxes();
  EXPECT_EQ(boxes.size(), rows.size()) << "one message per refused folder";
  for (const auto& box : boxes) {
    EXPECT_EQ(box.text_ansi, sjis::kMsgFolderMissing) << HexBytes(box.text_ansi);
    EXPECT_EQ(box.owner, trebbo()->window);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
  }
  EXPECT_EQ(host().answerer().folder_dialogs().size(), rows.size() + 1);
  EXPECT_EQ(FileTree(base), before) << "nothing changed beside the usable folder";
  EXPECT_EQ(SceneSwitches(calls()), AllScenesThenRoot())
      << "extended editing is reached only once the usable folder is chosen";
}

}  // namespace testing_support
