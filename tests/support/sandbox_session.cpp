#include "tests/support/sandbox_session.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "sandbox/host/find_standin.h"
#include "tests/support/test_paths.h"

namespace testing_support {

sandbox::LoadedFilter* SandboxSession::LoadTrebbo() {
  return host_->LoadPlugin(TrebboAufPath());
}

sandbox::LoadedFilter* SandboxSession::LoadExedit() {
  sandbox::LoadedFilter* exedit = host_->LoadPlugin(ExeditStandinPath());
  if (exedit != nullptr) standin_ = sandbox::StandinOf(exedit->module);
  return exedit;
}

void SandboxSession::AddObjects(int scene, int count) {
  StandinScene& target = standin_->scenes[scene];
  for (int i = 0; i < count && target.count < kStandinMaxObjects; ++i) {
    std::snprintf(target.objects[target.count], kStandinMaxLabel, "%d-%d", scene, i);
    ++target.count;
  }
}

bool SandboxSession::Close() {
  host_.reset();
  standin_ = nullptr;
  return GetModuleHandleA("trebbo.auf") == nullptr &&
         GetModuleHandleA("exedit.auf") == nullptr;
}

void SandboxSession::ExpectClosedCleanly() {
  const std::string mismatch = answerer_.Mismatch();
  EXPECT_TRUE(mismatch.empty()) << mismatch;
  EXPECT_TRUE(Close()) << "a DLL stayed loaded; the next scenario would reuse it";
}

sandbox::Window TrebboMessage(const char* text, HWND owner) {
  sandbox::Window box{sandbox::Window::Kind::kMessageBox, "Trebbo", L"", text, owner, {IDOK}};
  box.owner_disabled = true;
  return box;
}

}  // namespace testing_support
