// The plug-in loaded by the sandbox host as the editor loads it: its init
// callback, the check for extended editing 0.92 on the init message, the two
// menu entries, the not-found message, and the routing of menu commands.
#include <windows.h>

#include <clocale>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/expected_calls.h"
#include "tests/support/sandbox_session.h"
#include "tests/support/sjis_texts.h"
#include "tests/support/test_paths.h"

namespace {

using namespace testing_support;

// A host that starts each plug-in as it loads it may start this one before
// exedit.auf, so that the init callback finds nothing to link and returns
// FALSE; the init message, sent once every plug-in is loaded, links and arms
// all the same, saying nothing. Filters without an information text around
// extended editing's are skipped, not compared, and the export that follows
// walks the list as it stands.
TEST(Registration, ArmsBothEntriesWhicheverOfTheTwoLoadsFirst) {
  for (const bool trebbo_first : {false, true}) {
    SCOPED_TRACE(trebbo_first ? "trebbo.auf first" : "exedit.auf first");
    SandboxSession session;
    sandbox::Host& host = session.host();
    host.AddBareFilter("no information", nullptr);
    sandbox::LoadedFilter* trebbo = trebbo_first ? session.LoadTrebbo() : nullptr;
    const sandbox::LoadedFilter* exedit = session.LoadExedit();
    host.AddBareFilter(nullptr, nullptr);
    if (!trebbo_first) trebbo = session.LoadTrebbo();
    ASSERT_NE(trebbo, nullptr) << host.last_error();
    ASSERT_NE(exedit, nullptr) << host.last_error();
    EXPECT_EQ(trebbo->init_result, !trebbo_first) << "TRUE only with exedit.auf loaded then";

    EXPECT_EQ(host.SendInit(), std::vector<BOOL>{FALSE});

    std::vector<Call> expected = InformationLookup(4, IndexOf(host, *exedit));
    const std::vector<Call> entries = MenuEntries(*trebbo);
    expected.insert(expected.end(), entries.begin(), entries.end());
    EXPECT_EQ(host.calls(), expected);

    host.calls().clear();
    const std::wstring folder = NewScratchFolder(L"armed");
    session.answerer().ExpectFolderDialog("Select folder to save", folder);
    EXPECT_FALSE(host.ChooseMenu(1026));
    EXPECT_EQ(host.calls(), ExportCalls(ContextIn(host, *exedit, *trebbo), folder, {0}));
    session.ExpectClosedCleanly();
  }
}

// Every way extended editing 0.92 can be missing for the plug-in. The init
// message looks for it through the whole list (or up to the one filter that
// carries its text), shows exactly one message box, the not-found message
// owned by the plug-in's window (caption "Trebbo", a lone OK button, no
// icon), and arms no entry. Where the link is unresolved, even a host that
// sends the export id regardless reaches nothing: it would call into offsets
// from a null base.
TEST(RegistrationWithoutExedit092, InitMessageReportsItOnceAndArmsNothing) {
  using Load = sandbox::LoadedFilter* (*)(SandboxSession&);
  const struct {
    const char* what;
    Load load;  // loads the plug-in and whatever else the case has
    BOOL linked;
    std::vector<Call> lookup;
  } cases[] = {
      {"no exedit.auf", [](SandboxSession& s) { return s.LoadTrebbo(); }, FALSE,
       InformationLookup(1, -1)},
      {"exedit.auf of another version",
       [](SandboxSession& s) {
         static const std::string other_version =
             std::string(sjis::kExeditName) + "(exedit) version 0.93";
         sandbox::LoadedFilter* exedit = s.LoadExedit();
         if (exedit != nullptr) exedit->record.information = other_version.c_str();
         return s.LoadTrebbo();
       },
       TRUE, InformationLookup(2, -1)},
      {"the information text listed without exedit.auf loaded",
       [](SandboxSession& s) {
         s.host().AddBareFilter(sjis::kExeditName, sjis::kExeditInformation);
         return s.LoadTrebbo();
       },
       FALSE, InformationLookup(2, 0)},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.what);
    SandboxSession session;
    sandbox::LoadedFilter* trebbo = row.load(session);
    ASSERT_NE(trebbo, nullptr) << session.host().last_error();
    EXPECT_EQ(trebbo->init_result, row.linked);
    session.answerer().ExpectMessageBox(TrebboMessage(sjis::kMsgExeditNotFound, trebbo->window));

    EXPECT_EQ(session.host().SendInit(), std::vector<BOOL>{FALSE});
    if (!row.linked) {
      EXPECT_FALSE(session.host().ChooseMenu(1026, trebbo));
    }

    EXPECT_EQ(session.host().calls(), row.lookup);
    session.ExpectClosedCleanly();
  }
}

// Cancel is tested once per level: here for both commands, and the
// picker's own on the real dialog in the picker's tests.
TEST(Registration, OnlyTheTwoMenuIdsRunACommandAndACancelledOneTouchesNoScene) {
  SandboxSession session;
  ASSERT_NE(session.LoadExedit(), nullptr);
  sandbox::LoadedFilter* trebbo = session.LoadTrebbo();
  ASSERT_NE(trebbo, nullptr);
  session.host().SendInit();
  session.host().calls().clear();

  for (int id : {0, 1, 1024, 1027, 1127, 1137}) {
    EXPECT_FALSE(session.host().ChooseMenu(id, trebbo)) << id;
  }
  SendMessageA(trebbo->window, WM_USER + 1, 1026, 0);

  // The two real ids each open the folder dialog under their own title;
  // cancelled, they call neither the host nor extended editing and say
  // nothing. Every callback answers FALSE.
  session.answerer().ExpectFolderDialog("Select folder to import", L"");
  session.answerer().ExpectFolderDialog("Select folder to save", L"");
  EXPECT_FALSE(session.host().ChooseMenu(1025));
  EXPECT_FALSE(session.host().ChooseMenu(1026));
  EXPECT_EQ(session.host().calls(), std::vector<Call>{});
  session.ExpectClosedCleanly();
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
