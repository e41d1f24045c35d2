#include "sandbox/tool/report.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "sandbox/host/paths.h"
#include "sandbox/host/text_conversion.h"

namespace sandbox::tool {
namespace {

void WriteTo(DWORD std_handle, const std::string& utf8) {
  HANDLE out = GetStdHandle(std_handle);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) {
    // A console would read the bytes in its own code page: hand it UTF-16.
    const std::wstring wide = Wide(utf8, CP_UTF8);
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

std::string RecordText(const char* text) {
  return text != nullptr ? Quoted(ShiftJisToUtf8(text)) : "(none)";
}

std::string FilterLabel(const LoadedFilter& filter) {
  return AnsiToUtf8(FileNameOf(filter.path));
}

std::string WindowLine(const Host& host, const Window& window) {
  if (window.kind == Window::Kind::kFolderDialog) {
    const std::string outcome =
        window.expected ? "answered " + WideToUtf8(window.folder) : "no answer queued, cancelled";
    return "folder dialog " + Quoted(AnsiToUtf8(window.title)) + ": " + outcome;
  }
  std::string owner = "owner: another window";
  for (const auto& filter : host.filters()) {
    if (filter->window == window.owner) owner = "owner: window of " + FilterLabel(*filter);
  }
  return "message box " + Quoted(ShiftJisToUtf8(window.title)) + ": " +
         ShiftJisToUtf8(window.text) + "  (" + owner + ")";
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

std::string SwitchText(const std::vector<int>& switches) {
  return (switches.size() == 1 ? "switch to scene " : "switch to scenes ") +
         SceneList(switches);
}

std::string FileRoutineText(const Call& call) {
  const std::string arrow = call.kind == Call::Kind::kSave ? "save -> " : "load <- ";
  return arrow + AnsiToUtf8(call.text);
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
  if (filter.init_result) {
    Print("  init returned TRUE");
  } else {
    Print("  init returned FALSE: the plug-in reports that it cannot work yet (for "
          "trebbo.auf: exedit.auf is not loaded; it looks again at the init message)");
  }
  for (size_t i = 0; i < filter.check_values.size(); ++i) {
    Print("  checkbox " + std::to_string(i) + " " + RecordText(record.check_labels[i]) +
          ": " + (filter.check_values[i] ? "on" : "off"));
  }
}

size_t PrintWindowsSeen(const Host& host, const DialogAnswerer& answerer, size_t first,
                        const std::string& indent) {
  const std::vector<Window> seen = answerer.seen();
  for (size_t i = first; i < seen.size(); ++i) Print(indent + WindowLine(host, seen[i]));
  return seen.size();
}

void PrintMenu(const Host& host) {
  if (host.menu().empty()) {
    Print("menu: no entries");
    return;
  }
  Print("menu:");
  for (const Call& entry : host.menu()) {
    std::string owner = "unknown owner";
    for (const auto& filter : host.filters()) {
      if (&filter->record == entry.record) owner = FilterLabel(*filter);
    }
    Print("  " + std::to_string(entry.number) + "  " + ShiftJisToUtf8(entry.text) + "  (" +
          owner + ")");
  }
}

void PrintExeditCalls(const std::vector<Call>& calls, const std::string& indent) {
  std::vector<int> switches;
  bool any = false;
  for (const Call& call : calls) {
    if (call.kind == Call::Kind::kChangeScene) {
      switches.push_back(call.number);
      any = true;
    } else if (call.kind == Call::Kind::kSave || call.kind == Call::Kind::kLoad) {
      const std::string led_here = switches.empty() ? "" : SwitchText(switches) + ", ";
      Print(indent + led_here + FileRoutineText(call));
      switches.clear();
      any = true;
    }
  }
  if (!switches.empty()) Print(indent + SwitchText(switches));
  if (!any) Print(indent + "no calls of extended editing");
}

void PrintScenes(const StandinControl& control) {
  Print("scenes of extended editing (current: " +
        std::to_string(control.current_scene) + "):");
  bool any = false;
  for (int i = 0; i < kStandinScenes; ++i) {
    const StandinScene& scene = control.scenes[i];
    if (scene.count <= 0) continue;
    any = true;
    std::string line = "  scene " + std::to_string(i) + (i == 0 ? " (root)" : "") + ":";
    for (int j = 0; j < scene.count; ++j) {
      line += (j == 0 ? " " : ", ") + ShiftJisToUtf8(scene.objects[j]);
    }
    Print(line);
  }
  if (!any) Print("  every scene is empty");
}

}  // namespace sandbox::tool
