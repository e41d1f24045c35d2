// Paths of the scene files in a scene folder.
#pragma once

#include <cstddef>
#include <string>

// Scenes are 0 (the root scene) to kLastScene.
constexpr int kLastScene = 49;

// The root scene's file name, the longest of the scene file names.
inline constexpr char kRootSceneFileName[] = "scene_root.exo";
constexpr size_t kLongestSceneFileName = sizeof kRootSceneFileName - 1;

// The longest folder (in bytes, without its trailing "\") whose every scene
// path still fits in MAX_PATH with its NUL.
constexpr size_t kMaxSceneFolderBytes = 260 - 1 - 1 - kLongestSceneFileName;

// The path of each scene's file in one folder. The scene loops ask for one
// at nearly every scene of every command; each is written into one buffer
// behind the folder, since a heap allocation and a string appended piece by
// piece per scene would cost more than the rest of a loop's own work.
class ScenePath {
 public:
  // `scene_path_work` is the folder with its trailing "\".
  explicit ScenePath(const std::string& scene_path_work);

  // scene_path_work + "scene_root.exo" for scene 0, or + "scene_<n>.exo" (n
  // in decimal, no leading zeros) for the others. Valid until the next call.
  const char* For(int scene);

 private:
  // The folder, then room for the name of any int scene and its NUL.
  std::string bytes_;
  size_t folder_bytes_;
};
