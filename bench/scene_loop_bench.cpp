// What the scene loops of both commands cost, next to their floor measured in
// the same run. The floor is the work no scene loop can avoid: the same
// host-service walks (system information, then filter by index from the last
// filter down with a name comparison, as every scene switch needs), scene
// switches, saves, loads and file-existence checks, made here directly
// through the record's service table and the stand-in's routines at their
// fixed offsets, with every scene path built beforehand. Both run in the
// sandbox host against the stand-in extended editing with its routines doing
// no work, in a host of 5 and of 100 filters.
//
//   scene_loop_bench [rounds]     (default 41)
//
// Each round times a batch of plug-in commands and a batch of floor commands,
// in alternating order; the best round stands for the cost, the median for
// how noisy the machine was. Before the timings, one command of each is run
// with the stand-in logging; the run exits 1 when the floor's calls of the
// host's services and of the stand-in's routines, every argument included,
// differ from the plug-in's: a floor that does less work is no floor.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "exedit/exedit_link.h"
#include "host/texts.h"
#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/find_standin.h"
#include "sandbox/host/paths.h"
#include "sandbox/host/sandbox_host.h"
#include "transfer/batch_commands.h"
#include "transfer/scene_paths.h"

namespace {

constexpr int kFilterCounts[] = {5, 100};
constexpr double kSampleSeconds = 0.005;  // one batch: short enough to dodge most preemptions
constexpr double kGoalRatio = 1.25;

// A fresh folder under the temp folder with an empty file for the root and
// every even scene, so the import both loads and skips; removed at the end.
class SceneFolder {
 public:
  SceneFolder() {
    char temp[MAX_PATH];
    if (GetTempPathA(MAX_PATH, temp) == 0) return;
    const std::string folder =
        std::string(temp) + "trebbo-bench-" + std::to_string(GetCurrentProcessId());
    if (!CreateDirectoryA(folder.c_str(), nullptr)) return;
    folder_ = folder;
    for (int scene = 0; scene <= kLastScene; ++scene) {
      const std::string name = scene == 0 ? std::string(kRootSceneFileName)
                                          : "scene_" + std::to_string(scene) + ".exo";
      scene_paths_.push_back(folder_ + "\\" + name);
      if (scene % 2 == 0) CreateEmptyFile(scene_paths_.back());
    }
  }
  ~SceneFolder() {
    if (folder_.empty()) return;
    for (const std::string& path : scene_paths_) DeleteFileA(path.c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  SceneFolder(const SceneFolder&) = delete;
  SceneFolder& operator=(const SceneFolder&) = delete;

  bool ready() const { return !folder_.empty(); }
  // The folder with its trailing "\", as the commands take it.
  std::string path_work() const { return folder_ + "\\"; }
  const std::vector<std::string>& scene_paths() const { return scene_paths_; }

 private:
  static void CreateEmptyFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }

  std::string folder_;
  std::vector<std::string> scene_paths_;
};

using ChangeSceneFn = int(__cdecl*)(int scene, FilterRecord* exedit, EditHandle edit);
using SaveFn = int(__cdecl*)(const char* path);
using LoadFn = int(__cdecl*)(const char* path, int a, int b, FilterRecord* caller,
                             EditHandle edit);

// Everything one command needs, for the plug-in and for the floor.
struct Setup {
  std::string scene_path_work;
  EditHandle edit;
  FilterRecord* own;
  // The floor's own reach into the stand-in and its prebuilt scene paths.
  ChangeSceneFn change_scene;
  SaveFn save;
  LoadFn load;
  const volatile int* object_count;
  std::vector<const char*> scene_paths;
};

void FloorSwitchScene(const Setup& s, int scene) {
  SystemInfo si{};
  s.own->services->get_system_info(nullptr, &si);
  FilterRecord* exedit = nullptr;
  for (int index = si.filter_count - 1; index >= 0; --index) {
    FilterRecord* filter = s.own->services->get_filter_by_index(index);
    if (filter != nullptr && filter->name != nullptr &&
        std::strcmp(filter->name, kExeditName) == 0) {
      exedit = filter;
      break;
    }
  }
  s.change_scene(scene, exedit, s.edit);
}

void FloorExport(const Setup& s) {
  FloorSwitchScene(s, 0);
  s.save(s.scene_paths[0]);
  for (int scene = 1; scene <= kLastScene; ++scene) {
    FloorSwitchScene(s, scene);
    if (*s.object_count <= 0) continue;
    s.save(s.scene_paths[scene]);
  }
  FloorSwitchScene(s, 0);
}

void FloorImport(const Setup& s) {
  FloorSwitchScene(s, 0);
  s.load(s.scene_paths[0], 0, 0, s.own, s.edit);
  for (int scene = 1; scene <= kLastScene; ++scene) {
    FloorSwitchScene(s, scene);
    if (PathFileExistsA(s.scene_paths[scene])) {
      s.load(s.scene_paths[scene], 0, 0, s.own, s.edit);
    }
  }
  FloorSwitchScene(s, 0);
}

void PluginExport(const Setup& s) { ExportScenes(s.scene_path_work, s.edit, s.own); }
void PluginImport(const Setup& s) { ImportScenes(s.scene_path_work, s.edit, s.own); }

using Run = void (*)(const Setup&);

struct Command {
  const char* name;
  Run plugin;
  Run floor;
};
constexpr Command kCommands[] = {
    {"export", PluginExport, FloorExport},
    {"import", PluginImport, FloorImport},
};

// The host services one command called, and every routine call it made, in
// order, as the stand-in logged them.
struct Calls {
  long system_info, filter_by_index;
  std::vector<StandinCall> routines;

  int Count(int routine) const {
    return static_cast<int>(std::count_if(routines.begin(), routines.end(),
                                          [routine](const StandinCall& call) {
                                            return call.routine == routine;
                                          }));
  }
};

// The stand-in clears every log entry before filling it in, so equal calls
// are equal bytes.
bool operator==(const Calls& a, const Calls& b) {
  return a.system_info == b.system_info && a.filter_by_index == b.filter_by_index &&
         a.routines.size() == b.routines.size() &&
         std::memcmp(a.routines.data(), b.routines.data(),
                     a.routines.size() * sizeof(StandinCall)) == 0;
}

// Runs one command with the stand-in doing its work and logging it, then
// leaves the stand-in doing no work again.
Calls CallsOfOneCommand(sandbox::Host& host, StandinControl& control, Run run,
                        const Setup& s) {
  host.service_counts() = {};
  control.call_count = 0;
  control.no_work = 0;
  run(s);
  control.no_work = 1;
  const int logged = std::min(control.call_count, kStandinMaxCalls);
  return {host.service_counts().system_info, host.service_counts().filter_by_index,
          std::vector<StandinCall>(control.calls, control.calls + logged)};
}

double Seconds(Run run, const Setup& s, int commands) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < commands; ++i) run(s);
  QueryPerformanceCounter(&end);
  return static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

// How many commands make one batch of about kSampleSeconds; warms up too.
int CommandsPerSample(Run run, const Setup& s) {
  for (int commands = 1;; commands *= 2) {
    const double seconds = Seconds(run, s, commands);
    if (seconds >= kSampleSeconds / 4 || commands >= (1 << 20)) {
      return std::max(1, static_cast<int>(commands * kSampleSeconds / seconds));
    }
  }
}

struct Timing {
  double best_us, median_us;  // per command
};

Timing Summarise(std::vector<double> us_per_command) {
  std::sort(us_per_command.begin(), us_per_command.end());
  return {us_per_command.front(), us_per_command[us_per_command.size() / 2]};
}

struct Measured {
  Timing plugin, floor;
  Calls plugin_calls, floor_calls;
};

Measured Measure(sandbox::Host& host, StandinControl& control, const Command& command,
                 const Setup& s, int rounds) {
  Measured m{};
  m.plugin_calls = CallsOfOneCommand(host, control, command.plugin, s);
  m.floor_calls = CallsOfOneCommand(host, control, command.floor, s);

  const int commands = CommandsPerSample(command.plugin, s);
  CommandsPerSample(command.floor, s);  // the same warm-up for the floor
  std::vector<double> plugin_us, floor_us;
  const auto sample = [&](Run run, std::vector<double>& into) {
    into.push_back(1e6 * Seconds(run, s, commands) / commands);
  };
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) {
      sample(command.plugin, plugin_us);
      sample(command.floor, floor_us);
    } else {
      sample(command.floor, floor_us);
      sample(command.plugin, plugin_us);
    }
  }
  m.plugin = Summarise(plugin_us);
  m.floor = Summarise(floor_us);
  return m;
}

void PrintRow(const char* command, const char* who, const Calls& c, const Timing& t) {
  std::printf("%-7s %-8s %11ld %15ld %12d %5d %5d %10.1f %10.1f\n", command, who,
              c.system_info, c.filter_by_index, c.Count(kStandinChangeScene),
              c.Count(kStandinSave), c.Count(kStandinLoad), t.best_us, t.median_us);
}

// Prints the two rows and their ratio. False, said on both outputs, when the
// floor's calls differ from the plug-in's: no ratio is worth reading then.
bool Report(const Command& command, int filter_count, const Measured& m) {
  PrintRow(command.name, "plug-in", m.plugin_calls, m.plugin);
  PrintRow("", "floor", m.floor_calls, m.floor);
  if (!(m.plugin_calls == m.floor_calls)) {
    std::printf("%-7s FLOOR IS NO FLOOR: its calls differ from the plug-in's\n", "");
    std::fflush(stdout);
    std::fprintf(stderr, "scene_loop_bench: the %s floor in %d filters calls the host and "
                 "the stand-in differently from the plug-in\n", command.name, filter_count);
    return false;
  }
  const double ratio = m.plugin.best_us / m.floor.best_us;
  std::printf("%-7s %-8s plug-in/floor %.2f (medians %.2f), goal <= %.2f: %s\n", "",
              "ratio", ratio, m.plugin.median_us / m.floor.median_us, kGoalRatio,
              ratio <= kGoalRatio ? "met" : "MISSED");
  return true;
}

// One host of `filter_count` filters: extended editing first, as it is
// loaded before the plug-in, other filters, and the plug-in's own record
// last, so every scene switch walks the whole list. False when the stand-in
// cannot be loaded or a floor's calls differ from the plug-in's.
bool RunInHost(int filter_count, const std::string& standin_path,
               const SceneFolder& folder, int rounds) {
  sandbox::Host host;
  sandbox::LoadedFilter* exedit = host.LoadPlugin(standin_path);
  StandinControl* const standin = sandbox::FindStandin(host);
  if (exedit == nullptr || standin == nullptr) {
    std::fprintf(stderr, "scene_loop_bench: cannot load the stand-in %s: %s\n",
                 standin_path.c_str(), host.last_error().c_str());
    return false;
  }
  for (int index = 1; index < filter_count - 1; ++index) {
    host.AddBareFilter(("filter " + std::to_string(index)).c_str(), nullptr);
  }
  FilterRecord* own = &host.AddBareFilter(kPluginName, nullptr)->record;

  StandinControl& control = *standin;
  control.no_work = 1;
  // Objects in every even scene, so the export both writes and skips.
  for (int scene = 0; scene < kStandinScenes; ++scene) {
    control.scenes[scene].count = scene % 2 == 0 ? 1 : 0;
  }

  BYTE* const base = reinterpret_cast<BYTE*>(exedit->module);
  Setup s{folder.path_work(),
          host.edit_handle(),
          own,
          reinterpret_cast<ChangeSceneFn>(base + kStandinChangeSceneOffset),
          reinterpret_cast<SaveFn>(base + kStandinSaveOffset),
          reinterpret_cast<LoadFn>(base + kStandinLoadOffset),
          reinterpret_cast<const volatile int*>(base + kStandinObjectCountOffset),
          {}};
  for (const std::string& path : folder.scene_paths()) s.scene_paths.push_back(path.c_str());

  std::printf("\n%d filters in the host: extended editing first, the plug-in's record last\n",
              static_cast<int>(host.filters().size()));
  std::printf("%-7s %-8s %11s %15s %12s %5s %5s %10s %10s\n", "command", "", "system-info",
              "filter-by-index", "scene switch", "save", "load", "best us", "median us");
  bool same_calls = true;
  for (const Command& command : kCommands) {
    same_calls = Report(command, filter_count, Measure(host, control, command, s, rounds)) &&
                 same_calls;
  }
  return same_calls;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 41;
  if (rounds <= 0) {
    std::fprintf(stderr, "usage: scene_loop_bench [rounds]\n");
    return 2;
  }
  // Kept loaded across the hosts below, so the plug-in's link to it, resolved
  // once per process, stays valid.
  const std::string standin_path = sandbox::WindowsPath(EXEDIT_STANDIN_PATH);
  HMODULE standin = LoadLibraryA(standin_path.c_str());
  if (standin == nullptr) {
    std::fprintf(stderr, "scene_loop_bench: cannot load the stand-in %s\n",
                 standin_path.c_str());
    return 1;
  }
  bool ok = ExeditLink::Resolve();
  SceneFolder folder;
  if (!folder.ready()) {
    std::fprintf(stderr, "scene_loop_bench: cannot make a scratch folder\n");
    ok = false;
  }
  if (ok) {
    std::printf("scene_loop_bench: %d rounds, plug-in and floor alternating; calls and "
                "microseconds per 50-scene command\n", rounds);
    for (int filter_count : kFilterCounts) {
      ok = RunInHost(filter_count, standin_path, folder, rounds) && ok;
    }
  }
  FreeLibrary(standin);
  return ok ? 0 : 1;
}
