// The plug-in loaded by the sandbox host as the editor loads it: its init
// callback, the check for extended editing 0.92 on the init message, the two
// menu entries, the not-found message, and the routing of menu commands.
#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/sandbox_session.h"
#include "tests/support/sjis_texts.h"
#include "tests/support/test_paths.h"

namespace {

using testing_support::SandboxSession;

// A menu entry as a comparable tuple: owner record, text, window, id, key,
// flags.
using Entry = std::tuple<const FilterRecord*, std::string, HWND, int, int, int>;

std::vector<Entry> MenuOf(sandbox::Host& host) {
  std::vector<Entry> entries;
  for (const auto& e : host.menu()) {
    entries.emplace_back(e.owner, e.text, e.window, e.id, e.default_key, e.flags);
  }
  return entries;
}

// What the plug-in's window-message callback answered to the host's own
// messages (init and command), in order.
std::vector<BOOL> ResultsOf(sandbox::Host& host, const sandbox::LoadedFilter* filter) {
  std::vector<BOOL> results;
  for (const auto& call : host.callback_calls()) {
    if (call.filter != &filter->record) continue;
    if (call.message == kHostMsgInit || call.message == kHostMsgCommand) {
      results.push_back(call.result);
    }
  }
  return results;
}

class Registration : public ::testing::Test {
 protected:
  void TearDown() override {
    const std::string mismatch = session_.ScriptMismatch();
    EXPECT_TRUE(mismatch.empty()) << mismatch;
    EXPECT_TRUE(session_.Close()) << "a DLL stayed loaded; later scenarios would reuse it";
  }

  // The init message, with the not-found message box expected from it.
  void SendInitExpectingNotFound() {
    session_.host().answerer().QueueMessageBox(L"Trebbo");
    session_.host().SendInit();
  }

  // Exactly one message box: the not-found message, owned by the plug-in's
  // window, caption "Trebbo", a lone OK button and no icon.
  void ExpectOneNotFoundMessage(const sandbox::LoadedFilter* trebbo) {
    const auto& boxes = session_.host().answerer().message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Trebbo");
    EXPECT_EQ(boxes[0].text_ansi, sjis::kMsgExeditNotFound)
        << testing_support::HexBytes(boxes[0].text_ansi);
    EXPECT_EQ(boxes[0].owner, trebbo->window);
    EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
    EXPECT_FALSE(boxes[0].icon_shown);
  }

  SandboxSession session_;
};

TEST_F(Registration, ArmsBothEntriesWhenExedit092IsLinked) {
  ASSERT_NE(session_.LoadExedit(), nullptr);
  sandbox::LoadedFilter* trebbo = session_.LoadTrebbo();
  ASSERT_NE(trebbo, nullptr) << session_.host().last_error();
  EXPECT_TRUE(trebbo->init_called);
  EXPECT_TRUE(trebbo->init_result) << "exedit.auf was loaded before the init callback";

  session_.host().SendInit();

  const std::vector<Entry> expected = {
      {&trebbo->record, sjis::kMenuImportAll, trebbo->window, 1025, 0, 0},
      {&trebbo->record, sjis::kMenuExportAll, trebbo->window, 1026, 0, 0}};
  EXPECT_EQ(MenuOf(session_.host()), expected);
  EXPECT_TRUE(session_.host().answerer().message_boxes().empty());
  EXPECT_EQ(ResultsOf(session_.host(), trebbo), std::vector<BOOL>{FALSE});
}

TEST_F(Registration, WithoutExeditInitFailsAndTheInitMessageReportsItOnce) {
  sandbox::LoadedFilter* trebbo = session_.LoadTrebbo();
  ASSERT_NE(trebbo, nullptr) << session_.host().last_error();
  EXPECT_FALSE(trebbo->init_result);

  SendInitExpectingNotFound();

  ExpectOneNotFoundMessage(trebbo);
  EXPECT_TRUE(session_.host().menu().empty());
  EXPECT_EQ(ResultsOf(session_.host(), trebbo), std::vector<BOOL>{FALSE});
}

TEST_F(Registration, AnotherVersionOfExeditIsTreatedAsMissing) {
  sandbox::LoadedFilter* exedit = session_.LoadExedit();
  ASSERT_NE(exedit, nullptr);
  exedit->record.information = "\x8a\x67\x92\xa3\x95\xd2\x8f\x57(exedit) version 0.93";
  sandbox::LoadedFilter* trebbo = session_.LoadTrebbo();
  ASSERT_NE(trebbo, nullptr);
  EXPECT_TRUE(trebbo->init_result) << "the link itself does not check the version";

  SendInitExpectingNotFound();

  ExpectOneNotFoundMessage(trebbo);
  EXPECT_TRUE(session_.host().menu().empty());
}

// The information text is there but exedit.auf was not loaded when the
// plug-in's init ran: arming the menu would let a command call into offsets
// from a null module base.
TEST_F(Registration, InformationFoundButLinkUnresolvedIsTreatedAsMissing) {
  session_.host().AddBareFilter(sjis::kExeditName, sjis::kExeditInformation);
  sandbox::LoadedFilter* trebbo = session_.LoadTrebbo();
  ASSERT_NE(trebbo, nullptr);
  EXPECT_FALSE(trebbo->init_result);

  SendInitExpectingNotFound();

  ExpectOneNotFoundMessage(trebbo);
  EXPECT_TRUE(session_.host().menu().empty());

  // Even a host that sends the export id regardless reaches nothing.
  EXPECT_FALSE(session_.host().ChooseMenu(1026, trebbo));
  EXPECT_TRUE(session_.host().answerer().folder_dialogs().empty());
}

TEST_F(Registration, ExeditLoadedAfterThePlugInIsNotLinked) {
  sandbox::LoadedFilter* trebbo = session_.LoadTrebbo();
  ASSERT_NE(trebbo, nullptr);
  ASSERT_NE(session_.LoadExedit(), nullptr);
  EXPECT_FALSE(trebbo->init_result);

  SendInitExpectingNotFound();

  ExpectOneNotFoundMessage(trebbo);
  EXPECT_TRUE(session_.host().menu().empty());
}

TEST_F(Registration, FiltersWithoutInformationAreSkipped) {
  session_.host().AddBareFilter("no information", nullptr);
  ASSERT_NE(session_.LoadExedit(), nullptr);
  session_.host().AddBareFilter(nullptr, nullptr);
  sandbox::LoadedFilter* trebbo = session_.LoadTrebbo();
  ASSERT_NE(trebbo, nullptr);

  session_.host().SendInit();

  EXPECT_EQ(session_.host().menu().size(), 2u);
  EXPECT_TRUE(session_.host().answerer().message_boxes().empty());
}

TEST_F(Registration, OnlyTheTwoMenuIdsRunACommand) {
  ASSERT_NE(session_.LoadExedit(), nullptr);
  sandbox::LoadedFilter* trebbo = session_.LoadTrebbo();
  ASSERT_NE(trebbo, nullptr);
  session_.host().SendInit();

  for (int id : {0, 1, 1024, 1027, 1127, 1137}) {
    EXPECT_FALSE(session_.host().ChooseMenu(id, trebbo)) << id;
  }
  SendMessageA(trebbo->window, WM_USER + 1, 1026, 0);
  EXPECT_TRUE(session_.host().answerer().folder_dialogs().empty());
  EXPECT_EQ(session_.standin()->call_count, 0);

  // The two real ids each open the folder dialog under their own title;
  // cancelled, they touch no scene. Every callback answers FALSE.
  session_.host().answerer().QueueCancel(L"Select folder to import");
  session_.host().answerer().QueueCancel(L"Select folder to save");
  EXPECT_FALSE(session_.host().ChooseMenu(1025));
  EXPECT_FALSE(session_.host().ChooseMenu(1026));
  const auto& dialogs = session_.host().answerer().folder_dialogs();
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].title, L"Select folder to import");
  EXPECT_EQ(dialogs[1].title, L"Select folder to save");
  EXPECT_EQ(session_.standin()->call_count, 0);
  EXPECT_EQ(ResultsOf(session_.host(), trebbo), std::vector<BOOL>(1 + 6 + 2, FALSE));
}

}  // namespace
