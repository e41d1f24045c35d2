// The one way to reach the stand-in extended editing among a host's
// plug-ins: through its own exports rather than a link-time dependency, so a
// host runs just as well when the stand-in is not among the plug-ins loaded.
#pragma once

#include <windows.h>

#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/sandbox_host.h"

namespace sandbox {

// Both null when no loaded plug-in exports the stand-in's control block.
struct Standin {
  StandinControl* control = nullptr;
  StandinSyncFn sync = nullptr;
};

inline Standin FindStandin(const Host& host) {
  for (const auto& filter : host.filters()) {
    if (filter->module == nullptr) continue;
    auto get_control = reinterpret_cast<StandinGetControlFn>(reinterpret_cast<void*>(
        GetProcAddress(filter->module, "StandinGetControl")));
    auto sync = reinterpret_cast<StandinSyncFn>(reinterpret_cast<void*>(
        GetProcAddress(filter->module, "StandinSync")));
    if (get_control != nullptr && sync != nullptr) return {get_control(), sync};
  }
  return {};
}

}  // namespace sandbox
