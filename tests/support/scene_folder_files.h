// Looking at scene folders and at what the stand-in extended editing was
// asked to do, in forms that compare whole at once.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/text_conversion.h"

namespace testing_support {

// Names of the files in a folder, sorted.
std::vector<std::wstring> FilesIn(const std::wstring& folder);
// Every file under a folder, at any depth: its path below the folder and its
// bytes.
std::map<std::wstring, std::string> FileTree(const std::wstring& folder);
// Makes each level of `relative` (which may hold "\") under `base`;
// returns the whole path.
std::wstring MakeFolders(const std::wstring& base, const std::wstring& relative);
// A path in the ANSI code page, as the plug-in hands it on.
using sandbox::Ansi;
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);

// Every scene the stand-in was switched to, in order.
std::vector<int> SceneSwitches(const StandinControl& control);

// A save or load: the scene current at the call and the path it was given.
struct SceneFileCall {
  int scene;
  std::string path;
  bool operator==(const SceneFileCall& other) const {
    return scene == other.scene && path == other.path;
  }
};
inline void PrintTo(const SceneFileCall& call, std::ostream* out) {
  *out << "{scene " << call.scene << ", \"" << call.path << "\"}";
}
std::vector<SceneFileCall> Saves(const StandinControl& control);
std::vector<SceneFileCall> Loads(const StandinControl& control);

// The files of `scenes`, sorted as FilesIn lists them: scene_root.exo for 0,
// scene_<n>.exo otherwise.
std::vector<std::wstring> SceneFileNames(const std::vector<int>& scenes);
// What a save or load of each of `scenes` under `folder` (ANSI, without its
// trailing "\\") looks like.
std::vector<SceneFileCall> SceneFileCalls(const std::string& folder,
                                          const std::vector<int>& scenes);

// The labels of a scene's objects.
std::vector<std::string> ObjectsOf(const StandinControl& control, int scene);

// Every scene 0 .. 49 in order, then 0 again: what a whole command switches.
std::vector<int> AllScenesThenRoot();

}  // namespace testing_support
