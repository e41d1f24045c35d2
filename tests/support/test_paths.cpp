#include "tests/support/test_paths.h"

#include <windows.h>

#include <filesystem>

#include "sandbox/host/paths.h"

namespace testing_support {

namespace fs = std::filesystem;

std::string TrebboAufPath() { return sandbox::WindowsPath(TREBBO_AUF_PATH); }

std::string ExeditStandinPath() { return sandbox::WindowsPath(EXEDIT_STANDIN_PATH); }

std::wstring NewScratchFolder(const std::wstring& hint) {
  static int serial = 0;
  const fs::path base = fs::temp_directory_path() / L"trebbo-tests";
  fs::create_directories(base);
  for (;;) {
    const fs::path folder = base / (hint + L"-" + std::to_wstring(GetCurrentProcessId()) +
                                    L"-" + std::to_wstring(++serial));
    if (fs::create_directory(folder)) return folder.wstring();
  }
}

}  // namespace testing_support
