// The one way to reach the stand-in extended editing's control block:
// through the stand-in's own exports rather than a link-time dependency, so
// whatever loads it (a host, a test, the benchmark) runs just as well when it
// is not loaded.
#pragma once

#include <windows.h>

#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/sandbox_host.h"

namespace sandbox {

// Both null when the module is not the stand-in.
struct Standin {
  StandinControl* control = nullptr;
  StandinSyncFn sync = nullptr;
};

inline Standin StandinOf(HMODULE module) {
  if (module == nullptr) return {};
  auto get_control = reinterpret_cast<StandinGetControlFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "StandinGetControl")));
  auto sync = reinterpret_cast<StandinSyncFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "StandinSync")));
  if (get_control == nullptr || sync == nullptr) return {};
  return {get_control(), sync};
}

// The first of the host's plug-ins that is the stand-in.
inline Standin FindStandin(const Host& host) {
  for (const auto& filter : host.filters()) {
    const Standin standin = StandinOf(filter->module);
    if (standin.control != nullptr) return standin;
  }
  return {};
}

}  // namespace sandbox
