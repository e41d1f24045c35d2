#include <shlwapi.h>

#include "exedit/exedit_link.h"
#include "exedit/scene_switch.h"
#include "host/texts.h"
#include "transfer/batch_commands.h"
#include "transfer/scene_folder.h"
#include "transfer/scene_paths.h"

void ImportAllScenes(EditHandle edit, FilterRecord* own) {
  const std::string scene_path_work = AskForSceneFolder(kTitleImportFolder, own);
  if (scene_path_work.empty()) return;
  ImportScenes(scene_path_work, edit, own);
}

void ImportScenes(const std::string& scene_path_work, EditHandle edit,
                  FilterRecord* own) {
  // The root file goes to extended editing whether or not it exists; what a
  // missing one means is extended editing's matter.
  if (!SwitchScene(0, edit, own)) return;
  ScenePath scene_path(scene_path_work);
  ExeditLink::LoadExo(scene_path.For(0), 0, 0, own, edit);

  for (int scene = 1; scene <= kLastScene; ++scene) {
    if (!SwitchScene(scene, edit, own)) return;
    const char* path = scene_path.For(scene);
    if (PathFileExistsA(path)) {
      ExeditLink::LoadExo(path, 0, 0, own, edit);
    }
  }
  SwitchScene(0, edit, own);
}
