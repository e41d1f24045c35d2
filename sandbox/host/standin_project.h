// The stand-in extended editing as trebbo-host drives it: a sample project
// to start from, and its scenes printed.
#pragma once

#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/find_standin.h"

namespace sandbox::cli {

// Replaces every scene with a small project whose non-empty scenes are not
// all adjacent, so an export shows both skipped and joined scene switches.
void FillSampleProject(const Standin& standin);

void PrintScenes(const StandinControl& control);

}  // namespace sandbox::cli
