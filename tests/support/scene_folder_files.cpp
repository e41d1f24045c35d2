#include "tests/support/scene_folder_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/expected_calls.h"

namespace testing_support {

namespace fs = std::filesystem;

std::map<std::wstring, std::string> FileTree(const std::wstring& folder) {
  std::map<std::wstring, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    tree[fs::relative(entry.path(), folder).wstring()] = ReadFileBytes(entry.path().wstring());
  }
  return tree;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  // An empty drive root cannot be opened for listing: nothing to list.
  std::error_code empty_root;
  for (const auto& entry : fs::directory_iterator(folder, empty_root)) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().wstring());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring MakeFolders(const std::wstring& base, const std::wstring& relative) {
  const std::wstring path = base + L"\\" + relative;
  fs::create_directories(path);
  return path;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream file(fs::path(path), std::ios::binary);
  return static_cast<bool>(file << bytes);
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream file(fs::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::vector<std::wstring> SceneFileNames(const std::vector<int>& scenes) {
  std::vector<std::wstring> names;
  for (int scene : scenes) {
    const std::string name = SceneFileName(scene);
    names.emplace_back(name.begin(), name.end());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ObjectsOf(const StandinControl& control, int scene) {
  const StandinScene& s = control.scenes[scene];
  return std::vector<std::string>(s.objects, s.objects + s.count);
}

}  // namespace testing_support
