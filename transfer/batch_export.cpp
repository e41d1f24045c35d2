#include "exedit/exedit_link.h"
#include "exedit/scene_switch.h"
#include "host/texts.h"
#include "transfer/batch_commands.h"
#include "transfer/scene_folder.h"
#include "transfer/scene_paths.h"

namespace {

// The checkbox as the user set it in the host's window; its default (on)
// when the host keeps no live values.
bool SkipsEmptyScenes(const FilterRecord* own) {
  if (own->check_values == nullptr) return true;
  return own->check_values[kCheckSkipEmptyScenesIndex] != 0;
}

}  // namespace

void ExportAllScenes(EditHandle edit, FilterRecord* own) {
  const std::string scene_path_work = AskForSceneFolder(kTitleExportFolder, own);
  if (scene_path_work.empty()) return;
  ExportScenes(scene_path_work, edit, own);
}

void ExportScenes(const std::string& scene_path_work, EditHandle edit,
                  FilterRecord* own) {
  // The root scene is written even when it has no objects.
  if (!SwitchScene(0, edit, own)) return;
  ScenePath scene_path(scene_path_work);
  ExeditLink::SaveExo(scene_path.For(0));

  const bool skip_empty = SkipsEmptyScenes(own);
  for (int scene = 1; scene <= kLastScene; ++scene) {
    if (!SwitchScene(scene, edit, own)) return;
    if (skip_empty && ExeditLink::ObjectCount() <= 0) continue;
    ExeditLink::SaveExo(scene_path.For(scene));
  }
  SwitchScene(0, edit, own);
}
