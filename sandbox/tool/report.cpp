#include "sandbox/tool/report.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "sandbox/host/paths.h"
#include "sandbox/tool/text_conversion.h"

namespace sandbox::tool {
namespace {

void WriteTo(DWORD std_handle, const std::string& utf8) {
  HANDLE out = GetStdHandle(std_handle);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) {
    // A console would read the bytes in its own code page: hand it UTF-16.
    const std::wstring wide = MultiByteToWide(utf8, CP_UTF8);
    DWORD written = 0;
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written,
                  nullptr);
    return;
  }
  // Pipes and files: pass the bytes through, in as many writes as it takes.
  const char* next = utf8.data();
  DWORD left = static_cast<DWORD>(utf8.size());
  while (left > 0) {
    DWORD written = 0;
    if (!WriteFile(out, next, left, &written, nullptr) || written == 0) return;
    next += written;
    left -= written;
  }
}

std::string Quoted(const std::string& utf8) { return "\"" + utf8 + "\""; }

// A text a plug-in passed to an ANSI function comes back from the window
// system as UTF-16 decoded with the process's code page. Encoding it back the
// same way returns the plug-in's bytes, which are Shift_JIS.
std::string PluginText(const std::wstring& seen) {
  return ShiftJisToUtf8(Ansi(seen));
}

std::string RecordText(const char* text) {
  return text != nullptr ? Quoted(ShiftJisToUtf8(text)) : "(none)";
}

std::string FilterLabel(const LoadedFilter& filter) {
  if (!filter.path.empty()) return AnsiToUtf8(FileNameOf(filter.path));
  return "filter " + RecordText(filter.record.name);
}

std::string WindowOwner(const Host& host, HWND window) {
  if (window == nullptr) return "no owner";
  for (const auto& filter : host.filters()) {
    if (filter->window == window) return "owner: window of " + FilterLabel(*filter);
  }
  return "owner: another window";
}

std::string WindowLine(const Host&, const FolderDialogSeen& dialog) {
  std::string outcome = "answered " + WideToUtf8(dialog.folder);
  if (!dialog.answered) {
    outcome = "no answer queued, cancelled";
  } else if (dialog.cancelled) {
    outcome = "cancelled";
  }
  return "folder dialog " + Quoted(WideToUtf8(dialog.title)) + ": " + outcome;
}

std::string WindowLine(const Host& host, const MessageBoxSeen& box) {
  return "message box " + Quoted(PluginText(box.caption)) + ": " +
         ShiftJisToUtf8(box.text_ansi) + "  (" + WindowOwner(host, box.owner) + ")";
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
  std::string path = AnsiToUtf8(call.path);
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

void Print(const std::string& utf8_line) { WriteTo(STD_OUTPUT_HANDLE, utf8_line + "\n"); }

void PrintError(const std::string& utf8_line) {
  WriteTo(STD_ERROR_HANDLE, "trebbo-host: " + utf8_line + "\n");
}

void PrintLoadedFilter(const LoadedFilter& filter) {
  Print("loaded " + AnsiToUtf8(filter.path));
  const FilterRecord& record = filter.record;
  Print("  name " + RecordText(record.name) + ", information " +
        RecordText(record.information));
  if (!filter.init_called) {
    Print("  no init callback");
  } else if (filter.init_result) {
    Print("  init returned TRUE");
  } else {
    Print("  init returned FALSE: the plug-in reports that it cannot work (for "
          "trebbo.auf: exedit.auf was not loaded before it)");
  }
  for (size_t i = 0; i < filter.check_values.size(); ++i) {
    const char* label = record.check_labels != nullptr ? record.check_labels[i] : nullptr;
    Print("  checkbox " + std::to_string(i) + " " + RecordText(label) + ": " +
          (filter.check_values[i] ? "on" : "off"));
  }
}

size_t PrintWindowsSeen(Host& host, size_t first, const std::string& indent) {
  const std::vector<WindowSeen> seen = host.answerer().seen();
  for (size_t i = first; i < seen.size(); ++i) {
    Print(indent + std::visit([&](const auto& window) { return WindowLine(host, window); },
                              seen[i]));
  }
  return seen.size();
}

void PrintMenu(const Host& host) {
  if (host.menu().empty()) {
    Print("menu: no entries");
    return;
  }
  Print("menu:");
  for (const MenuEntry& entry : host.menu()) {
    std::string owner = "unknown owner";
    for (const auto& filter : host.filters()) {
      if (&filter->record == entry.owner) owner = FilterLabel(*filter);
    }
    Print("  " + std::to_string(entry.id) + "  " + ShiftJisToUtf8(entry.text) + "  (" +
          owner + ")");
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

void PrintScenes(const StandinControl& control) {
  Print("scenes of extended editing (current: " +
        std::to_string(control.current_scene) + "):");
  bool any = false;
  for (int i = 0; i < kStandinScenes; ++i) {
    const StandinScene& scene = control.scenes[i];
    if (scene.count <= 0) continue;
    any = true;
    const int count = scene.count < kStandinMaxObjects ? scene.count : kStandinMaxObjects;
    std::string line = "  scene " + std::to_string(i) + (i == 0 ? " (root)" : "") + ":";
    for (int j = 0; j < count; ++j) {
      const std::string label(scene.objects[j], strnlen(scene.objects[j], kStandinMaxLabel));
      line += (j == 0 ? " " : ", ") + ShiftJisToUtf8(label);
    }
    Print(line);
  }
  if (!any) Print("  every scene is empty");
}

}  // namespace sandbox::tool
