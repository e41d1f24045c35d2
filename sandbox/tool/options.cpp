#include "sandbox/tool/options.h"

#include <windows.h>

#include <cwchar>
#include <filesystem>

#include "sandbox/host/text_conversion.h"

namespace sandbox::tool {
namespace {

constexpr char kUsage[] =
    "usage: trebbo-host [options]\n"
    "\n"
    "Loads filter plug-ins the way the host editor does, sends them the init\n"
    "message, chooses menu entries and prints what happened: each plug-in's\n"
    "init result, the dialogs and message boxes in the order they came, and\n"
    "the routine calls of the stand-in extended editing. Options are taken in\n"
    "any order; plug-ins load in the order given.\n"
    "\n"
    "  --plugin FILE       load a plug-in (.auf); repeat for several\n"
    "  --checkbox on|off   set checkbox 0 of trebbo.auf before the commands\n"
    "  --answer FOLDER     answer the next folder dialog with FOLDER\n"
    "  --cancel            cancel the next folder dialog\n"
    "  --sample-project    put a small project into the stand-in extended\n"
    "                      editing (objects in scenes 0, 1, 3 and 10)\n"
    "  --run ID            choose menu entry ID (1025 import, 1026 export);\n"
    "                      repeat for several commands\n"
    "  --scenes            print the stand-in's non-empty scenes at the end\n"
    "  --version           print the program's name and version\n"
    "  --help              print this text\n"
    "\n"
    "The plug-ins may come in either order. trebbo.auf loaded before\n"
    "exedit.auf returns FALSE from its init callback (exedit.auf is not\n"
    "there yet) and links at the init message, sent once every plug-in is\n"
    "loaded. Folder dialogs without a queued answer are cancelled; message\n"
    "boxes are answered with OK.\n"
    "\n"
    "Exit status (when several apply, the lowest):\n"
    "  0  done: every plug-in loaded, each was ready (its init callback\n"
    "     returned TRUE, or it added a menu entry at the init message), and\n"
    "     every --run found its menu entry\n"
    "  1  a plug-in did not load (nothing more is done), or one whose init\n"
    "     callback returned FALSE added no menu entry at the init message\n"
    "     (the session goes on, to show what the plug-in does)\n"
    "  2  wrong arguments\n"
    "  3  the session did not end within 60 s: a window stayed open that\n"
    "     could not be answered\n"
    "  4  what was asked needs what is not loaded: a --run id without a menu\n"
    "     entry, --checkbox without trebbo.auf, --sample-project or --scenes\n"
    "     without the stand-in\n"
    "\n"
    "example:\n"
    "  trebbo-host --plugin exedit.auf --plugin trebbo.auf --sample-project\n"
    "              --answer C:\\out --run 1026 --scenes";

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
    if (arg == L"--help" || arg == L"-h" || arg == L"/?") {
      options.help = true;
    } else if (arg == L"--version") {
      options.version = true;
    } else if (arg == L"--plugin") {
      if (!has_value) return needs_value();
      options.plugins.push_back(FullPath(argv[++i]));
    } else if (arg == L"--checkbox") {
      if (!has_value) return needs_value();
      const std::wstring value = argv[++i];
      if (value != L"on" && value != L"off") {
        error = "--checkbox takes on or off, not " + WideToUtf8(value);
        return false;
      }
      options.set_checkbox = true;
      options.checkbox_value = value == L"on" ? 1 : 0;
    } else if (arg == L"--answer") {
      if (!has_value) return needs_value();
      options.answers.push_back(FullPath(argv[++i]));
    } else if (arg == L"--cancel") {
      options.answers.push_back(L"");
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
  if (!options.help && !options.version && options.plugins.empty()) {
    error = "no plug-ins given (--plugin FILE)";
    return false;
  }
  return true;
}

const char* UsageText() { return kUsage; }

}  // namespace sandbox::tool
