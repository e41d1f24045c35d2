// trebbo-host: the sandbox host as a program a person runs by hand. It loads
// plug-ins the way the editor does, chooses menu entries, answers the dialogs
// the commands open, and prints what happened, every text as UTF-8.
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/sandbox_host.h"
#include "sandbox/host/text_conversion.h"

namespace {

using sandbox::WriteUtf8;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

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

void Print(const std::string& utf8_line) { WriteUtf8(utf8_line + "\n"); }

void PrintError(const std::string& utf8_line) {
  sandbox::WriteUtf8Error("trebbo-host: " + utf8_line + "\n");
}

std::string Quoted(const std::string& utf8) { return "\"" + utf8 + "\""; }

// ---------------------------------------------------------------------------
// Command line

std::wstring FullPath(const std::wstring& path) {
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
  if (written == 0 || written >= length) return path;
  full.resize(written);
  return full;
}

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

bool ParseMenuId(const wchar_t* text, int& id) {
  wchar_t* end = nullptr;
  const long value = std::wcstol(text, &end, 10);
  if (end == text || *end != L'\0' || value < 0 || value > 0xFFFF) return false;
  id = static_cast<int>(value);
  return true;
}

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

// ---------------------------------------------------------------------------
// Describing what the host saw

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

const sandbox::LoadedFilter* FilterOfRecord(const sandbox::Host& host,
                                            const FilterRecord* record) {
  for (const auto& filter : host.filters()) {
    if (&filter->record == record) return filter.get();
  }
  return nullptr;
}

std::string FilterLabel(const sandbox::LoadedFilter& filter) {
  if (!filter.path.empty()) {
    return sandbox::MultiByteToUtf8(FileNameOf(filter.path), CP_ACP);
  }
  return "filter " + RecordText(filter.record.name);
}

std::string WindowOwner(const sandbox::Host& host, HWND window) {
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

void PrintLoadedFilter(const sandbox::LoadedFilter& filter) {
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

// Prints the dialogs and message boxes since the last call, then forgets them.
void PrintDialogsSeen(sandbox::Host& host, const std::string& indent) {
  sandbox::DialogAnswerer& answerer = host.answerer();
  for (const sandbox::FolderDialogSeen& dialog : answerer.folder_dialogs()) {
    std::string outcome = "answered " + sandbox::WideToUtf8(dialog.folder);
    if (!dialog.answered) {
      outcome = "no answer queued, cancelled";
    } else if (dialog.cancelled) {
      outcome = "cancelled";
    }
    Print(indent + "folder dialog " + Quoted(sandbox::WideToUtf8(dialog.title)) +
          ": " + outcome);
  }
  for (const sandbox::MessageBoxSeen& box : answerer.message_boxes()) {
    const std::string text = box.text_ansi.empty()
                                 ? PluginTextFromWindow(box.text)
                                 : sandbox::ShiftJisToUtf8(box.text_ansi);
    Print(indent + "message box " + Quoted(PluginTextFromWindow(box.caption)) +
          ": " + text + "  (" + WindowOwner(host, box.owner) + ")");
  }
  answerer.ClearSeen();
}

void PrintMenu(const sandbox::Host& host) {
  if (host.menu().empty()) {
    Print("menu: no entries");
    return;
  }
  Print("menu:");
  for (const sandbox::MenuEntry& entry : host.menu()) {
    const sandbox::LoadedFilter* owner = FilterOfRecord(host, entry.owner);
    Print("  " + std::to_string(entry.id) + "  " +
          sandbox::ShiftJisToUtf8(entry.text) + "  (" +
          (owner != nullptr ? FilterLabel(*owner) : "unknown owner") + ")");
  }
}

const sandbox::MenuEntry* FindMenuEntry(const sandbox::Host& host, int id) {
  for (const sandbox::MenuEntry& entry : host.menu()) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// The stand-in extended editing

struct Standin {
  StandinControl* control = nullptr;
  StandinSyncFn sync = nullptr;
};

Standin FindStandin(const sandbox::Host& host) {
  for (const auto& filter : host.filters()) {
    if (filter->module == nullptr) continue;
    auto get_control = reinterpret_cast<StandinGetControlFn>(reinterpret_cast<void*>(
        GetProcAddress(filter->module, "StandinGetControl")));
    auto sync = reinterpret_cast<StandinSyncFn>(reinterpret_cast<void*>(
        GetProcAddress(filter->module, "StandinSync")));
    if (get_control != nullptr && sync != nullptr) return {get_control(), sync};
  }
  return {};
}

struct SampleScene {
  int scene;
  std::vector<const char*> labels;  // UTF-8
};

void FillSampleProject(const Standin& standin) {
  const SampleScene sample[] = {
      {0, {u8"動画ファイル「本編」", u8"音声ファイル「BGM」", u8"テキスト「タイトル」"}},
      {1, {u8"図形", u8"テキスト「第1章」"}},
      {3, {u8"画像ファイル「背景」"}},
      {10, {u8"シーン", u8"カメラ制御", u8"グループ制御"}},
  };
  StandinControl& control = *standin.control;
  for (StandinScene& scene : control.scenes) scene = StandinScene{};
  for (const SampleScene& entry : sample) {
    StandinScene& scene = control.scenes[entry.scene];
    for (const char* label : entry.labels) {
      const std::string sjis = sandbox::Utf8ToShiftJis(label);
      lstrcpynA(scene.objects[scene.count++], sjis.c_str(), kStandinMaxLabel);
    }
  }
  control.current_scene = 0;
  standin.sync();
  Print("sample project: objects in scenes 0, 1, 3 and 10");
}

void PrintScenes(const StandinControl& control) {
  Print("scenes of extended editing (current: " +
        std::to_string(control.current_scene) + "):");
  bool any = false;
  for (int i = 0; i < kStandinScenes; ++i) {
    const StandinScene& scene = control.scenes[i];
    if (scene.count <= 0) continue;
    any = true;
    const int count = scene.count < kStandinMaxObjects ? scene.count
                                                       : kStandinMaxObjects;
    std::string line = "  scene " + std::to_string(i) + (i == 0 ? " (root)" : "") + ":";
    for (int j = 0; j < count; ++j) {
      const std::string label(scene.objects[j],
                              strnlen(scene.objects[j], kStandinMaxLabel));
      line += (j == 0 ? " " : ", ") + sandbox::ShiftJisToUtf8(label);
    }
    Print(line);
  }
  if (!any) Print("  every scene is empty");
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

// The routine calls from `first` on, in order. Scene switches with nothing in
// between share a line, and a save or load joins the switches that led to
// its scene: "switch to scenes 2, 3, save -> ...\scene_3.exo".
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

// ---------------------------------------------------------------------------

bool LoadPlugins(sandbox::Host& host, const std::vector<PluginSource>& sources) {
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

bool RunCommand(sandbox::Host& host, const Standin& standin, int id) {
  const sandbox::MenuEntry* entry = FindMenuEntry(host, id);
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

int Run(const Options& options) {
  sandbox::Host host;
  if (!host.last_error().empty()) {
    PrintError(host.last_error());
    return kExitFailed;
  }
  if (!LoadPlugins(host, options.plugins)) return kExitFailed;

  host.SendInit();
  Print("init message sent");
  PrintDialogsSeen(host, "  ");
  PrintMenu(host);

  if (options.set_checkbox) {
    sandbox::LoadedFilter* trebbo = host.Find("trebbo.auf");
    if (trebbo == nullptr || trebbo->check_values.empty()) {
      PrintError("--checkbox: trebbo.auf with a checkbox is not loaded");
      return kExitFailed;
    }
    host.SetCheck(trebbo, 0, options.checkbox_value);
    Print(std::string("checkbox 0 of trebbo.auf set ") +
          (options.checkbox_value ? "on" : "off"));
  }

  const Standin standin = FindStandin(host);
  if ((options.sample_project || options.print_scenes) && standin.control == nullptr) {
    PrintError("the stand-in extended editing (exedit.auf of the sandbox) is not loaded");
    return kExitFailed;
  }
  if (options.sample_project) FillSampleProject(standin);

  for (const FolderAnswer& answer : options.answers) {
    if (answer.cancel) {
      host.answerer().QueueCancel();
    } else {
      host.answerer().QueueFolder(answer.folder);
    }
  }
  for (int id : options.runs) {
    if (!RunCommand(host, standin, id)) return kExitFailed;
  }
  if (host.answerer().PendingAnswers() > 0) {
    Print("");
    Print(std::to_string(host.answerer().PendingAnswers()) +
          " folder answer(s) left unused");
  }
  if (options.print_scenes) {
    Print("");
    PrintScenes(*standin.control);
  }
  return kExitOk;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  std::string error;
  if (!ParseArguments(argc, argv, options, error)) {
    PrintError(error + " (see trebbo-host --help)");
    return kExitUsage;
  }
  if (options.help) {
    WriteUtf8(kUsage);
    return kExitOk;
  }
  return Run(options);
}
