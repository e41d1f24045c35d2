#include "tests/support/sandbox_session.h"

#include <cstdio>

#include "tests/support/test_paths.h"

namespace testing_support {

sandbox::LoadedFilter* SandboxSession::LoadTrebbo() {
  return host_->LoadPlugin(TrebboAufPath());
}

sandbox::LoadedFilter* SandboxSession::LoadExedit() {
  sandbox::LoadedFilter* exedit = host_->LoadPlugin(ExeditStandinPath());
  if (exedit == nullptr) return nullptr;
  standin_ = sandbox::StandinOf(exedit->module);
  return exedit;
}

void SandboxSession::AddObjects(int scene, int count) {
  StandinScene& target = standin_.control->scenes[scene];
  for (int i = 0; i < count && target.count < kStandinMaxObjects; ++i) {
    std::snprintf(target.objects[target.count], kStandinMaxLabel, "%d-%d", scene, i);
    ++target.count;
  }
  if (standin_.sync) standin_.sync();
}

std::string SandboxSession::ScriptMismatch() {
  std::string mismatch;
  for (const std::string& line : host_->answerer().unexpected()) {
    mismatch += "unexpected " + line + "\n";
  }
  const size_t pending = host_->answerer().PendingAnswers();
  if (pending > 0) {
    mismatch += std::to_string(pending) + " expected window(s) never came\n";
  }
  return mismatch;
}

bool SandboxSession::Close() {
  host_.reset();
  standin_ = {};
  return GetModuleHandleA("trebbo.auf") == nullptr &&
         GetModuleHandleA("exedit.auf") == nullptr;
}

}  // namespace testing_support
