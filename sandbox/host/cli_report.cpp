#include "sandbox/host/cli_report.h"

#include <windows.h>

#include <vector>

#include "sandbox/host/text_conversion.h"

namespace sandbox::cli {
namespace {

std::string Quoted(const std::string& utf8) { return "\"" + utf8 + "\""; }

// A text a plug-in passed to an ANSI function came back from the window
// system as UTF-16 decoded with the process's code page. Encoding it back the
// same way returns the plug-in's bytes, which are Shift_JIS.
std::string PluginTextFromWindow(const std::wstring& seen) {
  if (seen.empty()) return {};
  const int length = WideCharToMultiByte(CP_ACP, 0, seen.c_str(),
                                         static_cast<int>(seen.size()), nullptr,
                                         0, nullptr, nullptr);
  if (length <= 0) return sandbox::WideToUtf8(seen);
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, seen.c_str(), static_cast<int>(seen.size()),
                      &bytes[0], length, nullptr, nullptr);
  return sandbox::ShiftJisToUtf8(bytes);
}

std::string RecordText(const char* text) {
  return text != nullptr ? Quoted(sandbox::ShiftJisToUtf8(text)) : "(none)";
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const LoadedFilter* FilterOfRecord(const Host& host, const FilterRecord* record) {
  for (const auto& filter : host.filters()) {
    if (&filter->record == record) return filter.get();
  }
  return nullptr;
}

std::string FilterLabel(const LoadedFilter& filter) {
  if (!filter.path.empty()) {
    return sandbox::MultiByteToUtf8(FileNameOf(filter.path), CP_ACP);
  }
  return "filter " + RecordText(filter.record.name);
}

std::string WindowOwner(const Host& host, HWND window) {
  if (window == nullptr) return "no owner";
  for (const auto& filter : host.filters()) {
    if (filter->window == window) return "owner: window of " + FilterLabel(*filter);
  }
  // Some other window of the thread, such as an open dialog: its title
  // tells which.
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  if (title[0] == L'\0') return "owner: another window";
  return "owner: window " + Quoted(PluginTextFromWindow(title));
}

// "1-49" for a run of three or more consecutive scenes, else single numbers.
std::string SceneList(const std::vector<int>& scenes) {
  std::string list;
  for (size_t i = 0; i < scenes.size();) {
    size_t end = i + 1;
    while (end < scenes.size() && scenes[end] == scenes[end - 1] + 1) ++end;
    if (!list.empty()) list += ", ";
    if (end - i >= 3) {
      list += std::to_string(scenes[i]) + "-" + std::to_string(scenes[end - 1]);
    } else {
      list += std::to_string(scenes[i]);
      end = i + 1;
    }
    i = end;
  }
  return list;
}

std::string CallPath(const StandinCall& call) {
  if (call.path_length < 0) return "(no path)";
  std::string path = sandbox::MultiByteToUtf8(call.path, CP_ACP);
  if (call.path_length >= kStandinMaxPath) {
    path += "... (" + std::to_string(call.path_length) + " bytes)";
  }
  return path;
}

std::string SwitchText(const std::vector<int>& switches) {
  return (switches.size() == 1 ? "switch to scene " : "switch to scenes ") +
         SceneList(switches);
}

std::string FileRoutineText(const StandinCall& call) {
  const std::string failed = call.result ? "" : "  (failed)";
  if (call.routine == kStandinSave) return "save -> " + CallPath(call) + failed;
  if (call.routine == kStandinLoad) return "load <- " + CallPath(call) + failed;
  return "unknown routine " + std::to_string(call.routine);
}

}  // namespace

void Print(const std::string& utf8_line) { sandbox::WriteUtf8(utf8_line + "\n"); }

void PrintError(const std::string& utf8_line) {
  sandbox::WriteUtf8Error("trebbo-host: " + utf8_line + "\n");
}

void PrintLoadedFilter(const LoadedFilter& filter) {
  Print("loaded " + sandbox::MultiByteToUtf8(filter.path, CP_ACP));
  const FilterRecord& record = filter.record;
  std::string init = "no init callback";
  if (filter.init_called) {
    init = std::string("init returned ") + (filter.init_result ? "TRUE" : "FALSE");
  }
  Print("  name " + RecordText(record.name) + ", information " +
        RecordText(record.information) + ", " + init);
  for (size_t i = 0; i < filter.check_values.size(); ++i) {
    const char* label = record.check_labels != nullptr
                            ? record.check_labels[i] : nullptr;
    Print("  checkbox " + std::to_string(i) + " " + RecordText(label) + ": " +
          (filter.check_values[i] ? "on" : "off"));
  }
}

void PrintDialogsSeen(Host& host, const std::string& indent) {
  DialogAnswerer& answerer = host.answerer();
  for (const FolderDialogSeen& dialog : answerer.folder_dialogs()) {
    std::string outcome = "answered " + sandbox::WideToUtf8(dialog.folder);
    if (!dialog.answered) {
      outcome = "no answer queued, cancelled";
    } else if (dialog.cancelled) {
      outcome = "cancelled";
    }
    Print(indent + "folder dialog " + Quoted(sandbox::WideToUtf8(dialog.title)) +
          ": " + outcome);
  }
  for (const MessageBoxSeen& box : answerer.message_boxes()) {
    const std::string text = box.text_ansi.empty()
                                 ? PluginTextFromWindow(box.text)
                                 : sandbox::ShiftJisToUtf8(box.text_ansi);
    Print(indent + "message box " + Quoted(PluginTextFromWindow(box.caption)) +
          ": " + text + "  (" + WindowOwner(host, box.owner) + ")");
  }
  answerer.ClearSeen();
}

void PrintMenu(const Host& host) {
  if (host.menu().empty()) {
    Print("menu: no entries");
    return;
  }
  Print("menu:");
  for (const MenuEntry& entry : host.menu()) {
    const LoadedFilter* owner = FilterOfRecord(host, entry.owner);
    Print("  " + std::to_string(entry.id) + "  " +
          sandbox::ShiftJisToUtf8(entry.text) + "  (" +
          (owner != nullptr ? FilterLabel(*owner) : "unknown owner") + ")");
  }
}

void PrintStandinCalls(const StandinControl& control, int first,
                       const std::string& indent) {
  const int kept = control.call_count < kStandinMaxCalls ? control.call_count
                                                         : kStandinMaxCalls;
  std::vector<int> switches;
  auto flush_switches = [&]() {
    if (!switches.empty()) Print(indent + SwitchText(switches));
    switches.clear();
  };
  for (int i = first; i < kept; ++i) {
    const StandinCall& call = control.calls[i];
    if (call.routine == kStandinChangeScene) {
      if (call.result) {
        switches.push_back(call.scene);
        continue;
      }
      flush_switches();
      Print(indent + "switch to scene " + std::to_string(call.scene) + "  (failed)");
    } else if (!switches.empty() && switches.back() == call.current_scene) {
      Print(indent + SwitchText(switches) + ", " + FileRoutineText(call));
      switches.clear();
    } else {
      flush_switches();
      Print(indent + "in scene " + std::to_string(call.current_scene) + ": " +
            FileRoutineText(call));
    }
  }
  flush_switches();
  const int unlogged = control.call_count - (first > kept ? first : kept);
  if (unlogged > 0) {
    Print(indent + std::to_string(unlogged) + " more calls, not logged");
  }
  if (first >= control.call_count) Print(indent + "no calls of extended editing");
}

}  // namespace sandbox::cli
