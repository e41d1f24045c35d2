#include "transfer/scene_paths.h"

std::string SceneFileName(int scene) {
  if (scene == 0) return "scene_root.exo";
  return "scene_" + std::to_string(scene) + ".exo";
}
