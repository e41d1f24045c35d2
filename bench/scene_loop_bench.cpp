// What one 50-scene command costs the plug-in itself: the scene loops of the
// export and the import, run many times in the sandbox host against the
// stand-in extended editing with its routines doing no work, and the host
// services each command calls.
//
//   scene_loop_bench [commands]     (default 2000 of each)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "exedit/exedit_link.h"
#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/sandbox_host.h"
#include "tests/support/test_paths.h"
#include "transfer/batch_commands.h"

namespace {

using SceneLoop = void (*)(const std::string&, EditHandle, FilterRecord*);

struct Measured {
  double microseconds_per_command;
  sandbox::ServiceCounts services_per_command;
  int routine_calls_per_command;
};

Measured Measure(sandbox::Host& host, StandinControl* control, SceneLoop loop,
                 const std::string& folder, FilterRecord* own, int commands) {
  // One command alone, for the call counts.
  host.ResetServiceCounts();
  control->call_count = 0;
  loop(folder, host.edit_handle(), own);
  Measured measured{};
  measured.services_per_command = host.service_counts();
  measured.routine_calls_per_command = control->call_count;

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < commands; ++i) loop(folder, host.edit_handle(), own);
  QueryPerformanceCounter(&end);
  measured.microseconds_per_command =
      1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
      static_cast<double>(frequency.QuadPart) / commands;
  return measured;
}

void Report(const char* name, const Measured& m) {
  std::printf("%-7s %9.1f us per 50-scene command | host services per command: "
              "system-info %ld, filter-by-index %ld | extended-editing calls %d\n",
              name, m.microseconds_per_command, m.services_per_command.system_info,
              m.services_per_command.filter_by_index, m.routine_calls_per_command);
}

}  // namespace

int main(int argc, char** argv) {
  const int commands = argc > 1 ? std::atoi(argv[1]) : 2000;
  if (commands <= 0) {
    std::fprintf(stderr, "usage: scene_loop_bench [commands]\n");
    return 2;
  }

  sandbox::Host host;
  sandbox::LoadedFilter* exedit = host.LoadPlugin(testing_support::ExeditStandinPath());
  if (exedit == nullptr) {
    std::fprintf(stderr, "cannot load the stand-in: %s\n", host.last_error().c_str());
    return 1;
  }
  // A host with a handful of other filters, extended editing among them, and
  // the plug-in's own record last, as it would be in a small installation.
  for (const char* name : {"filter a", "filter b", "filter c"}) host.AddBareFilter(name, nullptr);
  FilterRecord* own = &host.AddBareFilter("Trebbo", nullptr)->record;
  auto get_control = reinterpret_cast<StandinGetControlFn>(
      reinterpret_cast<void*>(GetProcAddress(exedit->module, "StandinGetControl")));
  if (get_control == nullptr || !ExeditLink::Resolve()) {
    std::fprintf(stderr, "the stand-in is not linkable\n");
    return 1;
  }
  StandinControl* control = get_control();
  control->no_work = 1;
  // Objects in every other scene, so the export both writes and skips.
  for (int scene = 0; scene < kStandinScenes; scene += 2) control->scenes[scene].count = 1;

  // An existing empty folder: the import asks the file system for each scene
  // file, which is part of what it costs.
  const std::wstring folder = testing_support::NewScratchFolder(L"bench");
  char ansi[MAX_PATH];
  WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, ansi, MAX_PATH, nullptr, nullptr);
  const std::string scene_path_work = std::string(ansi) + "\\";

  std::printf("%d commands of each kind, %d filters in the host\n", commands,
              static_cast<int>(host.filters().size()));
  Report("export", Measure(host, control, ExportScenes, scene_path_work, own, commands));
  Report("import", Measure(host, control, ImportScenes, scene_path_work, own, commands));
  return 0;
}
