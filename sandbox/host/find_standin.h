// The one way to reach the stand-in extended editing's control block:
// through the stand-in's own export rather than a link-time dependency, so
// whatever loads it (a host, a test, the benchmark) runs just as well when it
// is not loaded.
#pragma once

#include <windows.h>

#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/sandbox_host.h"

namespace sandbox {

// Null when the module is not the stand-in.
inline StandinControl* StandinOf(HMODULE module) {
  if (module == nullptr) return nullptr;
  auto get_control = reinterpret_cast<StandinGetControlFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "StandinGetControl")));
  return get_control != nullptr ? get_control() : nullptr;
}

// The first of the host's plug-ins that is the stand-in.
inline StandinControl* FindStandin(const Host& host) {
  for (const auto& filter : host.filters()) {
    if (StandinControl* control = StandinOf(filter->module)) return control;
  }
  return nullptr;
}

}  // namespace sandbox
