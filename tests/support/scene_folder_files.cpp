#include "tests/support/scene_folder_files.h"

#include "tests/support/exedit_calls.h"

#include <windows.h>

#include <algorithm>

namespace testing_support {

static void AddFileTree(const std::wstring& folder, const std::wstring& below,
                        std::map<std::wstring, std::string>& tree) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      AddFileTree(folder + L"\\" + name, below + name + L"\\", tree);
    } else {
      tree[below + name] = ReadFileBytes(folder + L"\\" + name);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

std::map<std::wstring, std::string> FileTree(const std::wstring& folder) {
  std::map<std::wstring, std::string> tree;
  AddFileTree(folder, L"", tree);
  return tree;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  for (const auto& file : FileTree(folder)) {
    if (file.first.find(L'\\') == std::wstring::npos) names.push_back(file.first);
  }
  return names;
}

std::wstring MakeFolders(const std::wstring& base, const std::wstring& relative) {
  std::wstring path = base;
  for (size_t start = 0; start <= relative.size();) {
    const size_t end = std::min(relative.find(L'\\', start), relative.size());
    path += L"\\" + relative.substr(start, end - start);
    CreateDirectoryW(path.c_str(), nullptr);
    start = end + 1;
  }
  return path;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  CloseHandle(file);
  return bytes;
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
