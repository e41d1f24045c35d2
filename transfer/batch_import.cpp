#include <shlwapi.h>

#include "exedit/exedit_link.h"
#include "shell/texts.h"
#include "transfer/batch_commands.h"
#include "transfer/scene_folder.h"
#include "transfer/scene_paths.h"
#include "transfer/scene_switch.h"

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
  std::string scene_path = scene_path_work + SceneFileName(0);
  ExeditLink::LoadExo(scene_path.c_str(), 0, 0, own, edit);

  for (int scene = 1; scene <= kLastScene; ++scene) {
    if (!SwitchScene(scene, edit, own)) return;
    scene_path = scene_path_work + SceneFileName(scene);
    if (PathFileExistsA(scene_path.c_str())) {
      ExeditLink::LoadExo(scene_path.c_str(), 0, 0, own, edit);
    }
  }
  SwitchScene(0, edit, own);
}
