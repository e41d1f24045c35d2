#include "tests/support/exedit_calls.h"

#include <algorithm>

namespace testing_support {
namespace {

std::vector<ExeditCall> CommandCalls(const CommandContext& context, int routine,
                                     const std::string& folder, const std::vector<int>& scenes) {
  std::vector<ExeditCall> calls;
  for (int step = 0; step <= kStandinScenes; ++step) {
    const int scene = step % kStandinScenes;  // the last step goes back to the root
    calls.push_back({kStandinChangeScene, scene, context.exedit, context.edit, "", 0, 0});
    if (step == kStandinScenes || std::count(scenes.begin(), scenes.end(), scene) == 0) continue;
    const std::string path = folder + "\\" + SceneFileName(scene);
    if (routine == kStandinSave) {
      calls.push_back({kStandinSave, scene, nullptr, nullptr, path, 0, 0});
    } else {
      calls.push_back({kStandinLoad, scene, context.own, context.edit, path, 0, 0});
    }
  }
  return calls;
}

}  // namespace

void PrintTo(const ExeditCall& call, std::ostream* out) {
  static const char* const kRoutines[] = {"?", "switch", "save", "load"};
  *out << kRoutines[call.routine] << " scene " << call.scene << ", record " << call.record
       << ", edit " << call.edit << ", \"" << call.path << "\", " << call.a << ", " << call.b;
}

std::vector<ExeditCall> ExeditCalls(const StandinControl& control) {
  std::vector<ExeditCall> calls;
  for (int i = 0; i < std::min(control.call_count, kStandinMaxCalls); ++i) {
    const StandinCall& call = control.calls[i];
    const int scene = call.routine == kStandinChangeScene ? call.scene : call.current_scene;
    calls.push_back({call.routine, scene, call.record, call.edit, call.path, call.a, call.b});
  }
  return calls;
}

std::vector<ExeditCall> ExportCalls(const CommandContext& context, const std::string& folder,
                                    const std::vector<int>& scenes) {
  return CommandCalls(context, kStandinSave, folder, scenes);
}

std::vector<ExeditCall> ImportCalls(const CommandContext& context, const std::string& folder,
                                    const std::vector<int>& scenes) {
  return CommandCalls(context, kStandinLoad, folder, scenes);
}

std::vector<ExeditCall> BeforeSwitch(std::vector<ExeditCall> calls, int n) {
  auto end = calls.begin();
  for (int switches = 0; end != calls.end(); ++end) {
    if (end->routine == kStandinChangeScene && switches++ == n) break;
  }
  calls.erase(end, calls.end());
  return calls;
}

std::string SceneFileName(int scene) {
  return scene == 0 ? "scene_root.exo" : "scene_" + std::to_string(scene) + ".exo";
}

}  // namespace testing_support
