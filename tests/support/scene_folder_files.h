// Looking at scene folders and at the stand-in's scenes, in forms that
// compare whole at once.
#pragma once

#include <map>
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

// The files of `scenes`, sorted as FilesIn lists them.
std::vector<std::wstring> SceneFileNames(const std::vector<int>& scenes);

// The labels of a scene's objects.
std::vector<std::string> ObjectsOf(const StandinControl& control, int scene);

}  // namespace testing_support
