// What a person asked trebbo-host for on the command line. Parsing only
// records the request; nothing is loaded or run until every argument has
// proved valid, so a typo never leaves a half-done session behind.
#pragma once

#include <string>
#include <vector>

namespace sandbox::cli {

struct PluginSource {
  bool whole_folder;
  std::wstring path;
};

struct FolderAnswer {
  bool cancel;
  std::wstring folder;
};

struct Options {
  std::vector<PluginSource> plugins;
  bool set_checkbox = false;
  int checkbox_value = 0;
  std::vector<FolderAnswer> answers;
  bool sample_project = false;
  std::vector<int> runs;
  bool print_scenes = false;
  bool help = false;
};

// On failure `error` holds a UTF-8 line that names the offending argument.
bool ParseArguments(int argc, wchar_t** argv, Options& options,
                    std::string& error);

const char* UsageText();

}  // namespace sandbox::cli
