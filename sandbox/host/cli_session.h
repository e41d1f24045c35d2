// The two steps of a trebbo-host session that talk to the plug-ins: loading
// them and choosing a menu entry. Each prints what happened as it goes, so a
// step that fails still leaves on screen everything that led up to it.
#pragma once

#include <vector>

#include "sandbox/host/cli_options.h"
#include "sandbox/host/sandbox_host.h"
#include "sandbox/host/standin_project.h"

namespace sandbox::cli {

// Stops at the first source that does not load; false then.
bool LoadPlugins(Host& host, const std::vector<PluginSource>& sources);

// False only when no menu entry has this id; a command whose callback
// returns FALSE has still run, and that result is printed, not reported.
bool RunCommand(Host& host, const Standin& standin, int id);

}  // namespace sandbox::cli
