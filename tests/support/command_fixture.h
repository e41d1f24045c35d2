// A project open in the sandbox host with the plug-in armed next to the
// stand-in extended editing, ready for a menu command.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/expected_calls.h"
#include "tests/support/sandbox_session.h"
#include "tests/support/scene_folder_files.h"
#include "tests/support/test_paths.h"

namespace testing_support {

constexpr int kImportAll = 1025;
constexpr int kExportAll = 1026;

// The title of the folder dialog each command opens.
inline std::string FolderDialogTitle(int id) {
  return id == kExportAll ? "Select folder to save" : "Select folder to import";
}

// A folder under `base`, nested in levels of 100 `letter`s, whose path has
// exactly `length` bytes.
std::wstring FolderOfLength(const std::wstring& base, size_t length, wchar_t letter);

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override { OpenFreshProject(); }
  void TearDown() override { session_->ExpectClosedCleanly(); }

  // Unloads everything and loads the stand-in and the plug-in anew: an empty
  // project, the plug-in armed, nothing recorded yet.
  void OpenFreshProject();

  // Chooses a menu entry with the folder dialog answered by `folder`.
  void Run(int id, const std::wstring& folder);

  // Command `id` with every kind of folder it must refuse chosen in turn,
  // then `usable`: one that does not exist, two the ANSI code page cannot
  // spell (café and x¥y under 932, 書き出し and tāg under 1252) beside the
  // look-alikes it makes of them, holding scene files, and one a byte too long
  // for its scene paths. Each must bring the folder-missing message as the
  // user sees it and the dialog again, and change nothing; the calls the
  // command makes, none before `usable`, are the caller's to check.
  void RunRefusingFolders(int id, const std::wstring& usable);

  // What this project's commands must hand the host and extended editing,
  // and the calls of a whole export or import on `folder`.
  CommandContext context() { return ContextIn(host(), *exedit_, *trebbo_); }
  std::vector<Call> ExportCalls(const std::wstring& folder, const std::vector<int>& scenes) {
    return testing_support::ExportCalls(context(), folder, scenes);
  }
  std::vector<Call> ImportCalls(const std::wstring& folder, const std::vector<int>& scenes) {
    return testing_support::ImportCalls(context(), folder, scenes);
  }
  // The host's record of the calls made since the project was opened or
  // the record cleared.
  std::vector<Call>& calls() { return host().calls(); }

  sandbox::Host& host() { return session_->host(); }
  sandbox::DialogAnswerer& answerer() { return session_->answerer(); }
  SandboxSession& session() { return *session_; }
  // The stand-in's control block: the project's scenes.
  StandinControl& standin() { return *session_->standin(); }
  sandbox::LoadedFilter* exedit() { return exedit_; }
  sandbox::LoadedFilter* trebbo() { return trebbo_; }

 private:
  std::unique_ptr<SandboxSession> session_;
  sandbox::LoadedFilter* exedit_ = nullptr;
  sandbox::LoadedFilter* trebbo_ = nullptr;
};

}  // namespace testing_support
