// Names of the scene files in a scene folder.
#pragma once

#include <string>

// Scenes are 0 (the root scene) to kLastScene.
constexpr int kLastScene = 49;

// "scene_root.exo" for scene 0, "scene_<n>.exo" for the others.
std::string SceneFileName(int scene);

// The longest folder (in bytes, without its trailing "\") whose every scene
// path still fits in MAX_PATH with its NUL; the longest name is the root's.
constexpr size_t kMaxSceneFolderBytes = 260 - 1 - 1 - 14;
