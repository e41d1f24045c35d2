// The plug-in loaded by the sandbox host as the editor loads it: its init
// callback, the check for extended editing 0.92 on the init message, the two
// menu entries, the not-found message, and the routing of menu commands.
#include <windows.h>

#include <clocale>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/sandbox_session.h"
#include "tests/support/sjis_texts.h"
#include "tests/support/test_paths.h"

namespace sandbox {

// Every field: owner record, text, window, id, key and flags.
bool operator==(const MenuEntry& a, const MenuEntry& b) {
  return a.owner == b.owner && a.text == b.text && a.window == b.window && a.id == b.id &&
         a.default_key == b.default_key && a.flags == b.flags;
}

}  // namespace sandbox

namespace {

using testing_support::SandboxSession;

class Registration : public ::testing::Test {
 protected:
  void TearDown() override {
    session_.ExpectClosedCleanly();
  }

  SandboxSession session_;
};

// Filters without an information text around extended editing's are
// skipped, not compared.
TEST_F(Registration, ArmsBothEntriesWhenExedit092IsLinked) {
  session_.host().AddBareFilter("no information", nullptr);
  ASSERT_NE(session_.LoadExedit(), nullptr);
  session_.host().AddBareFilter(nullptr, nullptr);
  sandbox::LoadedFilter* trebbo = session_.LoadTrebbo();
  ASSERT_NE(trebbo, nullptr) << session_.host().last_error();
  EXPECT_TRUE(trebbo->init_result) << "exedit.auf was loaded before the init callback";

  EXPECT_EQ(session_.host().SendInit(), std::vector<BOOL>{FALSE});

  const std::vector<sandbox::MenuEntry> expected = {
      {&trebbo->record, sjis::kMenuImportAll, trebbo->window, 1025, 0, 0},
      {&trebbo->record, sjis::kMenuExportAll, trebbo->window, 1026, 0, 0}};
  EXPECT_EQ(session_.host().menu(), expected);
}

// Every way extended editing 0.92 can be missing for the plug-in. The init
// message shows exactly one message box, the not-found message owned by the
// plug-in's window (caption "Trebbo", a lone OK button, no icon), and arms no
// entry. Where the link is unresolved, even a host that sends the export id
// regardless reaches nothing: it would call into offsets from a null base.
TEST(RegistrationWithoutExedit092, InitMessageReportsItOnceAndArmsNothing) {
  using Load = sandbox::LoadedFilter* (*)(SandboxSession&);
  const struct {
    const char* what;
    Load load;  // loads the plug-in and whatever else the case has
    BOOL linked;
  } cases[] = {
      {"no exedit.auf", [](SandboxSession& s) { return s.LoadTrebbo(); }, FALSE},
      {"exedit.auf of another version",
       [](SandboxSession& s) {
         static const std::string other_version =
             std::string(sjis::kExeditName) + "(exedit) version 0.93";
         sandbox::LoadedFilter* exedit = s.LoadExedit();
         if (exedit != nullptr) exedit->record.information = other_version.c_str();
         return s.LoadTrebbo();
       },
       TRUE},
      {"the information text listed without exedit.auf loaded",
       [](SandboxSession& s) {
         s.host().AddBareFilter(sjis::kExeditName, sjis::kExeditInformation);
         return s.LoadTrebbo();
       },
       FALSE},
      {"exedit.auf loaded after the plug-in",
       [](SandboxSession& s) {
         sandbox::LoadedFilter* trebbo = s.LoadTrebbo();
         return s.LoadExedit() != nullptr ? trebbo : nullptr;
       },
       FALSE},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.what);
    SandboxSession session;
    sandbox::LoadedFilter* trebbo = row.load(session);
    ASSERT_NE(trebbo, nullptr) << session.host().last_error();
    EXPECT_EQ(trebbo->init_result, row.linked);
    session.answerer().ExpectMessageBox(
        testing_support::TrebboMessage(sjis::kMsgExeditNotFound, trebbo->window));

    EXPECT_EQ(session.host().SendInit(), std::vector<BOOL>{FALSE});

    EXPECT_TRUE(session.host().menu().empty());
    if (!row.linked) {
      EXPECT_FALSE(session.host().ChooseMenu(1026, trebbo));
    }
    session.ExpectClosedCleanly();
  }
}

// Cancel is tested once per level: here for both commands, and the
// picker's own on the real dialog in the picker's tests.
TEST_F(Registration, OnlyTheTwoMenuIdsRunACommandAndACancelledOneTouchesNoScene) {
  ASSERT_NE(session_.LoadExedit(), nullptr);
  sandbox::LoadedFilter* trebbo = session_.LoadTrebbo();
  ASSERT_NE(trebbo, nullptr);
  session_.host().SendInit();

  for (int id : {0, 1, 1024, 1027, 1127, 1137}) {
    EXPECT_FALSE(session_.host().ChooseMenu(id, trebbo)) << id;
  }
  SendMessageA(trebbo->window, WM_USER + 1, 1026, 0);

  // The two real ids each open the folder dialog under their own title;
  // cancelled, they touch no scene and say nothing. Every callback answers
  // FALSE.
  session_.answerer().ExpectFolderDialog("Select folder to import", L"");
  session_.answerer().ExpectFolderDialog("Select folder to save", L"");
  EXPECT_FALSE(session_.host().ChooseMenu(1025));
  EXPECT_FALSE(session_.host().ChooseMenu(1026));
  EXPECT_EQ(session_.standin()->call_count, 0);
}

// Loading sets the runtime's character-type category to the user's default
// and leaves every other category alone: number, date and sorting formats
// are the editor's, and the runtime's locale is the whole process's.
TEST(Startup, LoadingSetsOnlyTheCharacterTypesToTheUsersDefault) {
  ASSERT_EQ(GetModuleHandleA("trebbo.auf"), nullptr) << "its start-up ran already";
  std::setlocale(LC_ALL, "C");
  std::setlocale(LC_CTYPE, "");
  const std::string expected = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "C");
  ASSERT_NE(expected, "C") << "the user's default is C: a load would change nothing";

  HMODULE trebbo = LoadLibraryA(testing_support::TrebboAufPath().c_str());
  ASSERT_NE(trebbo, nullptr);
  const std::string after = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "C");
  FreeLibrary(trebbo);

  EXPECT_EQ(after, expected);
}

}  // namespace
