// What the scene loops of both commands cost, next to their floor measured in
// the same run: the work no scene loop can avoid (the same host-service walks
// from the last filter down, scene switches, saves, loads and file-existence
// checks, with every scene path built beforehand), made here directly. Both
// run in the sandbox host against the stand-in doing no work, in hosts of 5
// and of 100 filters.
//
//   scene_loop_bench [rounds]     (default 41)
//
// Batches of plug-in and floor commands alternate; the best round stands for
// the cost, the median for the noise. One command of each first runs with the
// stand-in working and logging, and the run exits 1 when their calls of the
// host and the stand-in, every argument included, differ: a floor that does
// less work is no floor.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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
constexpr double kBatchMicroseconds = 5000;  // short enough to dodge most preemptions
constexpr double kGoalRatio = 1.25;

// Everything one command needs, for the plug-in and for the floor.
struct Setup {
  std::string scene_path_work;  // the folder with its trailing "\"
  std::vector<std::string> scene_paths;
  EditHandle edit;
  FilterRecord* own;
};

// The floor reaches extended editing's routines through the link, as the
// plug-in does: either way a call through a pointer at a fixed offset.
void FloorSwitchScene(const Setup& s, int scene) {
  SystemInfo si{};
  s.own->services->get_system_info(nullptr, &si);
  FilterRecord* exedit = nullptr;
  for (int index = si.filter_count - 1; index >= 0 && exedit == nullptr; --index) {
    FilterRecord* filter = s.own->services->get_filter_by_index(index);
    if (filter != nullptr && filter->name != nullptr &&
        std::strcmp(filter->name, kExeditName) == 0) {
      exedit = filter;
    }
  }
  ExeditLink::ChangeScene(scene, exedit, s.edit);
}

void FloorExport(const Setup& s) {
  FloorSwitchScene(s, 0);
  ExeditLink::SaveExo(s.scene_paths[0].c_str());
  for (int scene = 1; scene <= kLastScene; ++scene) {
    FloorSwitchScene(s, scene);
    if (ExeditLink::ObjectCount() > 0) ExeditLink::SaveExo(s.scene_paths[scene].c_str());
  }
  FloorSwitchScene(s, 0);
}

void FloorImport(const Setup& s) {
  FloorSwitchScene(s, 0);
  ExeditLink::LoadExo(s.scene_paths[0].c_str(), 0, 0, s.own, s.edit);
  for (int scene = 1; scene <= kLastScene; ++scene) {
    FloorSwitchScene(s, scene);
    const char* path = s.scene_paths[scene].c_str();
    if (PathFileExistsA(path)) ExeditLink::LoadExo(path, 0, 0, s.own, s.edit);
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

using Calls = std::vector<sandbox::Call>;

int Count(const Calls& calls, sandbox::Call::Kind kind) {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                        [kind](const sandbox::Call& c) { return c.kind == kind; }));
}

// Every call one command made into the host and the stand-in, in order, with
// the stand-in working; neither records nor works again afterwards.
Calls CallsOfOneCommand(sandbox::Host& host, StandinControl& control, Run run,
                        const Setup& s) {
  host.calls().clear();
  host.set_recording(true);
  control.no_work = 0;
  run(s);
  control.no_work = 1;
  host.set_recording(false);
  return host.calls();
}

double MicrosecondsPerCommand(Run run, const Setup& s, int commands) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < commands; ++i) run(s);
  QueryPerformanceCounter(&end);
  return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart) / commands;
}

// How many commands make a batch of at least kBatchMicroseconds; warms up too.
int CommandsPerBatch(Run run, const Setup& s) {
  int commands = 1;
  while (commands < (1 << 20) &&
         MicrosecondsPerCommand(run, s, commands) * commands < kBatchMicroseconds) {
    commands *= 2;
  }
  return commands;
}

struct Timing {
  double best_us, median_us;  // per command
};

// Batches of the plug-in's and the floor's commands in turn, each starting
// every other round, so that a slow stretch of the machine falls on both.
void Time(const Command& command, const Setup& s, int rounds, Timing& plugin, Timing& floor) {
  const Run runs[] = {command.plugin, command.floor};
  const int commands = std::max(CommandsPerBatch(runs[0], s), CommandsPerBatch(runs[1], s));
  std::vector<double> us[2];
  for (int round = 0; round < rounds; ++round) {
    for (int turn = 0; turn < 2; ++turn) {
      const int who = (round + turn) % 2;
      us[who].push_back(MicrosecondsPerCommand(runs[who], s, commands));
    }
  }
  Timing* const timings[] = {&plugin, &floor};
  for (int who = 0; who < 2; ++who) {
    std::sort(us[who].begin(), us[who].end());
    *timings[who] = {us[who].front(), us[who][us[who].size() / 2]};
  }
}

void PrintRow(const char* command, const char* who, const Calls& c, const Timing& t) {
  using Kind = sandbox::Call::Kind;
  std::printf("%-7s %-8s %11d %15d %12d %5d %5d %10.1f %10.1f\n", command, who,
              Count(c, Kind::kSystemInfo), Count(c, Kind::kFilterByIndex),
              Count(c, Kind::kChangeScene), Count(c, Kind::kSave), Count(c, Kind::kLoad),
              t.best_us, t.median_us);
}

// One host of `filter_count` filters: extended editing first, as it is
// loaded before the plug-in, other filters, and the plug-in's own record
// last, so every scene switch walks the whole list. False when a floor's
// calls differ from the plug-in's.
bool RunInHost(int filter_count, Setup s, int rounds) {
  sandbox::Host host;
  host.LoadPlugin(sandbox::WindowsPath(EXEDIT_STANDIN_PATH));  // loaded already by main
  StandinControl* const control = sandbox::FindStandin(host);
  if (control == nullptr) return false;
  for (int index = 1; index < filter_count - 1; ++index) {
    host.AddBareFilter(("filter " + std::to_string(index)).c_str(), nullptr);
  }
  s.own = &host.AddBareFilter(kPluginName, nullptr)->record;
  s.edit = host.edit_handle();
  host.set_recording(false);
  control->no_work = 1;
  // Objects in every even scene, so the export both writes and skips.
  for (int scene = 0; scene < kStandinScenes; ++scene) {
    control->scenes[scene].count = scene % 2 == 0 ? 1 : 0;
  }

  std::printf("\n%d filters in the host: extended editing first, the plug-in's record last\n",
              filter_count);
  std::printf("%-7s %-8s %11s %15s %12s %5s %5s %10s %10s\n", "command", "", "system-info",
              "filter-by-index", "scene switch", "save", "load", "best us", "median us");
  bool same_calls = true;
  for (const Command& command : kCommands) {
    const Calls plugin_calls = CallsOfOneCommand(host, *control, command.plugin, s);
    const Calls floor_calls = CallsOfOneCommand(host, *control, command.floor, s);
    Timing plugin{}, floor{};
    Time(command, s, rounds, plugin, floor);
    PrintRow(command.name, "plug-in", plugin_calls, plugin);
    PrintRow("", "floor", floor_calls, floor);
    if (!(plugin_calls == floor_calls)) {
      std::printf("%-7s FLOOR IS NO FLOOR: its calls differ from the plug-in's\n", "");
      same_calls = false;
      continue;
    }
    std::printf("%-7s %-8s plug-in/floor %.2f (medians %.2f), goal <= %.2f: %s\n", "",
                "ratio", plugin.best_us / floor.best_us, plugin.median_us / floor.median_us,
                kGoalRatio, plugin.best_us / floor.best_us <= kGoalRatio ? "met" : "MISSED");
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
  // Loaded for the whole run, so that the link, resolved once per process,
  // stays valid across the hosts below.
  const HMODULE standin = LoadLibraryA(sandbox::WindowsPath(EXEDIT_STANDIN_PATH).c_str());
  if (standin == nullptr || !ExeditLink::Resolve()) {
    std::fprintf(stderr, "scene_loop_bench: cannot load the stand-in extended editing\n");
    return 1;
  }
  // A fresh folder with an empty file for the root and every even scene, so
  // that the import both loads and skips; removed at the end.
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("trebbo-bench-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directory(folder);
  Setup setup{folder.string() + "\\", {}, nullptr, nullptr};
  for (int scene = 0; scene <= kLastScene; ++scene) {
    setup.scene_paths.push_back(setup.scene_path_work +
                                (scene == 0 ? kRootSceneFileName
                                            : "scene_" + std::to_string(scene) + ".exo"));
    if (scene % 2 == 0) std::ofstream(setup.scene_paths.back());
  }

  std::printf("scene_loop_bench: %d rounds, plug-in and floor alternating; calls and "
              "microseconds per 50-scene command\n", rounds);
  bool same_calls = true;
  for (int filter_count : kFilterCounts) {
    same_calls = RunInHost(filter_count, setup, rounds) && same_calls;
  }
  std::filesystem::remove_all(folder);
  FreeLibrary(standin);
  if (!same_calls) {
    std::fprintf(stderr, "scene_loop_bench: a floor calls the host and the stand-in "
                         "differently from the plug-in\n");
  }
  return same_calls ? 0 : 1;
}
