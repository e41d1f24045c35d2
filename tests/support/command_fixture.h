// A project open in the sandbox host with the plug-in armed next to the
// stand-in extended editing, ready for a menu command.
#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/sandbox_session.h"
#include "tests/support/scene_folder_files.h"
#include "tests/support/test_paths.h"

namespace testing_support {

constexpr int kImportAll = 1025;
constexpr int kExportAll = 1026;

// The title of the folder dialog each command opens.
inline std::wstring FolderDialogTitle(int id) {
  return id == kExportAll ? L"Select folder to save" : L"Select folder to import";
}

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override { OpenFreshProject(); }
  void TearDown() override {
    ExpectOnlyQueuedWindows();
    EXPECT_TRUE(session_->Close()) << "a DLL stayed loaded";
  }

  // Every window the test queued an answer for came, and nothing else.
  void ExpectOnlyQueuedWindows() {
    const std::string mismatch = session_->ScriptMismatch();
    EXPECT_TRUE(mismatch.empty()) << mismatch;
  }

  // Unloads everything and loads the stand-in and the plug-in anew: an empty
  // project, the plug-in armed, nothing recorded yet.
  void OpenFreshProject() {
    if (session_) {
      ExpectOnlyQueuedWindows();
      ASSERT_TRUE(session_->Close());
    }
    session_ = std::make_unique<SandboxSession>();
    ASSERT_NE(session_->LoadExedit(), nullptr) << host().last_error();
    ASSERT_NE(session_->standin(), nullptr);
    trebbo_ = session_->LoadTrebbo();
    ASSERT_NE(trebbo_, nullptr) << host().last_error();
    host().SendInit();
    ASSERT_EQ(host().menu().size(), 2u) << "the plug-in did not arm its menu";
  }

  // Chooses a menu entry with the folder dialog answered by `folder`.
  void Run(int id, const std::wstring& folder) {
    host().answerer().QueueFolder(FolderDialogTitle(id), folder);
    EXPECT_FALSE(host().ChooseMenu(id));
  }

  // Command `id` with folders the ANSI code page cannot spell chosen in
  // turn, then `usable`: café and x¥y under 932, 書き出し and tāg under 1252.
  // Each is made beside the look-alike the code page makes of its name, which
  // holds scene files. Each must bring the folder-missing message and the
  // dialog again, and nothing beside `usable` may change; what the command
  // then does with `usable` is the caller's to check.
  void RunRefusingUnnamable(int id, const std::wstring& usable);

  sandbox::Host& host() { return session_->host(); }
  // The stand-in's record of the calls it was given, and the project's scenes.
  StandinControl& calls() { return *session_->standin(); }
  SandboxSession& session() { return *session_; }
  sandbox::LoadedFilter* trebbo() { return trebbo_; }

  std::unique_ptr<SandboxSession> session_;
  sandbox::LoadedFilter* trebbo_ = nullptr;
};

}  // namespace testing_support
