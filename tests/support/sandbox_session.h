// A sandbox host with the plug-ins of one scenario loaded, torn down so that
// the next scenario loads fresh copies of the DLLs.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/find_standin.h"
#include "sandbox/host/sandbox_host.h"

namespace testing_support {

class SandboxSession {
 public:
  SandboxSession() : host_(std::make_unique<sandbox::Host>()) {}
  ~SandboxSession() { Close(); }

  sandbox::Host& host() { return *host_; }
  sandbox::LoadedFilter* LoadTrebbo();
  sandbox::LoadedFilter* LoadExedit();  // the stand-in
  // The stand-in's control block, once it is loaded.
  StandinControl* standin() { return standin_.control; }
  // Puts `count` objects labelled "<scene>-<n>" into a scene of the stand-in.
  void AddObjects(int scene, int count);

  // Empty when the host's dialog answerer met exactly the windows queued for
  // it; otherwise a line for each window it did not expect and the count of
  // expected ones that never came.
  std::string ScriptMismatch();

  // Unloads everything; true when neither DLL stays in the process.
  bool Close();

 private:
  std::unique_ptr<sandbox::Host> host_;
  sandbox::Standin standin_;
};

}  // namespace testing_support
