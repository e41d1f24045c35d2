// The stand-in extended editing as trebbo-host drives it: the program reaches
// it through the plug-in's own exports rather than a link-time dependency, so
// the host still runs when the stand-in is not among the plug-ins loaded.
#pragma once

#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/sandbox_host.h"

namespace sandbox::cli {

// Both null when no loaded plug-in exports the stand-in's control block.
struct Standin {
  StandinControl* control = nullptr;
  StandinSyncFn sync = nullptr;
};

Standin FindStandin(const Host& host);

// Replaces every scene with a small project whose non-empty scenes are not
// all adjacent, so an export shows both skipped and joined scene switches.
void FillSampleProject(const Standin& standin);

void PrintScenes(const StandinControl& control);

}  // namespace sandbox::cli
