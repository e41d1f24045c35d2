// What a person asked trebbo-host for on the command line. Parsing only
// records the request; nothing is loaded or run until every argument has
// proved valid, so a typo never leaves a half-done session behind.
#pragma once

#include <string>
#include <vector>

namespace sandbox::tool {

// The exit statuses, as the README lists them. When several apply, the
// lowest wins: a plug-in that failed explains a missing menu entry.
constexpr int kExitDone = 0;
constexpr int kExitPluginFailed = 1;  // did not load, or init FALSE and no menu entry
constexpr int kExitUsage = 2;
constexpr int kExitDialogStuck = 3;   // the session outlived its deadline
constexpr int kExitCannotServe = 4;   // what was asked needs what is not loaded

struct Options {
  std::vector<std::wstring> plugins;  // full paths, in load order
  std::vector<std::wstring> answers;  // full paths
  bool sample_project = false;
  std::vector<int> runs;
  bool print_scenes = false;
};

// On failure `error` holds a UTF-8 line that names the offending argument.
bool ParseArguments(int argc, wchar_t** argv, Options& options,
                    std::string& error);

}  // namespace sandbox::tool
