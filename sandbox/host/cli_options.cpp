#include "sandbox/host/cli_options.h"

#include <windows.h>

#include <cwchar>

#include "sandbox/host/text_conversion.h"

namespace sandbox::cli {
namespace {

constexpr char kUsage[] =
    "usage: trebbo-host [options]\n"
    "\n"
    "Loads filter plug-ins like the host editor does, then chooses menu entries\n"
    "and prints what the plug-ins did. Options are taken in any order; plug-ins\n"
    "load in the order given.\n"
    "\n"
    "  --plugin FILE       load one plug-in (.auf)\n"
    "  --plugins DIR       load every .auf in DIR, in name order\n"
    "  --checkbox on|off   set checkbox 0 of trebbo.auf before the commands\n"
    "  --answer FOLDER     answer the next folder dialog with FOLDER\n"
    "  --cancel            cancel the next folder dialog\n"
    "  --sample-project    put a small project into the stand-in extended\n"
    "                      editing (objects in scenes 0, 1, 3 and 10)\n"
    "  --run ID            choose menu entry ID (1025 import, 1026 export);\n"
    "                      repeat for several commands\n"
    "  --scenes            print the stand-in's non-empty scenes at the end\n"
    "  --help              print this text\n"
    "\n"
    "Folder dialogs without a queued answer are cancelled; message boxes are\n"
    "answered with OK. Exit status: 0 done, 1 a plug-in or command failed,\n"
    "2 wrong arguments.\n"
    "\n"
    "example:\n"
    "  trebbo-host --plugin exedit.auf --plugin trebbo.auf --sample-project\n"
    "              --answer C:\\out --run 1026 --scenes\n";

std::wstring FullPath(const std::wstring& path) {
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
  if (written == 0 || written >= length) return path;
  full.resize(written);
  return full;
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
      error = sandbox::WideToUtf8(arg) + " needs a value";
      return false;
    };
    if (arg == L"--help" || arg == L"-h" || arg == L"/?") {
      options.help = true;
    } else if (arg == L"--plugin" || arg == L"--plugins") {
      if (!has_value) return needs_value();
      options.plugins.push_back({arg == L"--plugins", FullPath(argv[++i])});
    } else if (arg == L"--checkbox") {
      if (!has_value) return needs_value();
      const std::wstring value = argv[++i];
      if (value != L"on" && value != L"off") {
        error = "--checkbox takes on or off, not " + sandbox::WideToUtf8(value);
        return false;
      }
      options.set_checkbox = true;
      options.checkbox_value = value == L"on" ? 1 : 0;
    } else if (arg == L"--answer") {
      if (!has_value) return needs_value();
      // A folder named relative to the caller's directory means nothing to
      // the dialog, so it gets the full path.
      options.answers.push_back({false, FullPath(argv[++i])});
    } else if (arg == L"--cancel") {
      options.answers.push_back({true, L""});
    } else if (arg == L"--sample-project") {
      options.sample_project = true;
    } else if (arg == L"--run") {
      if (!has_value) return needs_value();
      int id = 0;
      if (!ParseMenuId(argv[++i], id)) {
        error = "--run takes a menu id such as 1026, not " +
                sandbox::WideToUtf8(argv[i]);
        return false;
      }
      options.runs.push_back(id);
    } else if (arg == L"--scenes") {
      options.print_scenes = true;
    } else {
      error = "unknown argument " + sandbox::WideToUtf8(arg);
      return false;
    }
  }
  if (!options.help && options.plugins.empty()) {
    error = "no plug-ins given (--plugin FILE or --plugins DIR)";
    return false;
  }
  return true;
}

const char* UsageText() { return kUsage; }

}  // namespace sandbox::cli
