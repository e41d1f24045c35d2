// A project for trebbo-host to start from in the stand-in extended editing.
#pragma once

#include "sandbox/exedit/standin_control.h"

namespace sandbox::tool {

// Replaces every scene with a small project whose non-empty scenes are not
// all adjacent, so an export shows both skipped and joined scene switches.
void FillSampleProject(StandinControl& control);

}  // namespace sandbox::tool
