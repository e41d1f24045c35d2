#include "sandbox/tool/options.h"

#include <windows.h>

#include <cwchar>
#include <filesystem>

#include "sandbox/host/text_conversion.h"

namespace sandbox::tool {
namespace {

// A path named relative to the caller's directory means nothing to a dialog
// or to the log of a load, so every path is made full.
std::wstring FullPath(const std::wstring& path) {
  return std::filesystem::absolute(path).wstring();
}

bool ParseMenuId(const wchar_t* text, int& id) {
  wchar_t* end = nullptr;
  const long value = std::wcstol(text, &end, 10);
  if (end == text || *end != L'\0' || value < 0 || value > 0xFFFF) return false;
  id = static_cast<int>(value);
  return true;
}

}  // namespace

bool ParseArguments(int argc, wchar_t** argv, Options& options,
                    std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool has_value = i + 1 < argc;
    auto needs_value = [&]() {
      error = WideToUtf8(arg) + " needs a value";
      return false;
    };
    if (arg == L"--plugin") {
      if (!has_value) return needs_value();
      options.plugins.push_back(FullPath(argv[++i]));
    } else if (arg == L"--answer") {
      if (!has_value) return needs_value();
      options.answers.push_back(FullPath(argv[++i]));
    } else if (arg == L"--sample-project") {
      options.sample_project = true;
    } else if (arg == L"--run") {
      if (!has_value) return needs_value();
      int id = 0;
      if (!ParseMenuId(argv[++i], id)) {
        error = "--run takes a menu id such as 1026, not " + WideToUtf8(argv[i]);
        return false;
      }
      options.runs.push_back(id);
    } else if (arg == L"--scenes") {
      options.print_scenes = true;
    } else {
      error = "unknown argument " + WideToUtf8(arg);
      return false;
    }
  }
  if (options.plugins.empty()) {
    error = "no plug-ins given (--plugin FILE)";
    return false;
  }
  return true;
}

}  // namespace sandbox::tool
