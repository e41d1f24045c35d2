// A sandbox host with the plug-ins of one scenario loaded and a dialog
// answerer at the keyboard, torn down so that the next scenario loads fresh
// copies of the DLLs.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/dialog_answerer.h"
#include "sandbox/host/sandbox_host.h"

namespace testing_support {

class SandboxSession {
 public:
  SandboxSession() : host_(std::make_unique<sandbox::Host>()) {}
  ~SandboxSession() { Close(); }

  sandbox::Host& host() { return *host_; }
  sandbox::DialogAnswerer& answerer() { return answerer_; }
  sandbox::LoadedFilter* LoadTrebbo();
  sandbox::LoadedFilter* LoadExedit();  // the stand-in
  // The stand-in's control block, once it is loaded.
  StandinControl* standin() { return standin_; }
  // Puts `count` objects labelled "<scene>-<n>" into a scene of the stand-in.
  void AddObjects(int scene, int count);

  // Unloads everything; true when neither DLL stays in the process.
  bool Close();
  // Every window the scenario expected came, and nothing else; then both
  // DLLs leave the process, so that the next scenario loads them fresh.
  void ExpectClosedCleanly();

 private:
  sandbox::DialogAnswerer answerer_;
  std::unique_ptr<sandbox::Host> host_;
  StandinControl* standin_ = nullptr;
};

// A message box of the plug-in's as its users must see it: caption "Trebbo",
// `text` (the expected Shift_JIS bytes), owned by the plug-in's window and
// modal to it (the window disabled, the box not above other programs), a
// lone OK button and no icon.
sandbox::Window TrebboMessage(const char* text, HWND owner);

}  // namespace testing_support
