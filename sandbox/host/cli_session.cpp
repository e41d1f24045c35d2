#include "sandbox/host/cli_session.h"

#include <windows.h>

#include <string>

#include "sandbox/host/cli_report.h"
#include "sandbox/host/text_conversion.h"

namespace sandbox::cli {
namespace {

// The host hands ANSI paths to LoadLibraryA, as the editor does; a path the
// ANSI code page cannot spell is refused rather than mangled.
bool ToAnsiPath(const std::wstring& wide, std::string& ansi) {
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(
      CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
  if (length <= 0 || lossy) return false;
  ansi.assign(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, &ansi[0],
                      length, nullptr, nullptr);
  ansi.resize(static_cast<size_t>(length) - 1);
  return true;
}

}  // namespace

bool LoadPlugins(Host& host, const std::vector<PluginSource>& sources) {
  for (const PluginSource& source : sources) {
    std::string path;
    if (!ToAnsiPath(source.path, path)) {
      PrintError("the ANSI code page cannot spell " +
                 sandbox::WideToUtf8(source.path));
      return false;
    }
    const size_t before = host.filters().size();
    const bool loaded = source.whole_folder ? host.LoadPluginFolder(path)
                                            : host.LoadPlugin(path) != nullptr;
    for (size_t i = before; i < host.filters().size(); ++i) {
      PrintLoadedFilter(*host.filters()[i]);
    }
    if (source.whole_folder && loaded && host.filters().size() == before) {
      Print("no plug-ins in " + sandbox::WideToUtf8(source.path));
    }
    PrintDialogsSeen(host, "  ");
    if (!loaded) {
      PrintError(sandbox::MultiByteToUtf8(host.last_error(), CP_ACP));
      return false;
    }
  }
  return true;
}

bool RunCommand(Host& host, const Standin& standin, int id) {
  const MenuEntry* entry = host.FindMenuEntry(id);
  if (entry == nullptr) {
    PrintError("no menu entry with id " + std::to_string(id));
    return false;
  }
  Print("");
  Print("run " + std::to_string(id) + " " + sandbox::ShiftJisToUtf8(entry->text));
  const int first_call = standin.control ? standin.control->call_count : 0;
  const BOOL result = host.ChooseMenu(id);
  PrintDialogsSeen(host, "  ");
  if (standin.control != nullptr) {
    PrintStandinCalls(*standin.control, first_call, "  ");
    Print("  editor ends on scene " + std::to_string(standin.control->current_scene));
  }
  Print(std::string("  callback returned ") + (result ? "TRUE" : "FALSE"));
  return true;
}

}  // namespace sandbox::cli
