#include "tests/support/test_paths.h"

#include <windows.h>

#include <cstdio>

#include "sandbox/host/paths.h"

namespace testing_support {

std::string TrebboAufPath() { return sandbox::WindowsPath(TREBBO_AUF_PATH); }

std::string ExeditStandinPath() { return sandbox::WindowsPath(EXEDIT_STANDIN_PATH); }

std::wstring NewScratchFolder(const std::wstring& hint) {
  static int serial = 0;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring base = std::wstring(temp) + L"trebbo-tests";
  CreateDirectoryW(base.c_str(), nullptr);
  for (;;) {
    std::wstring folder = base + L"\\" + hint + L"-" +
                          std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(++serial);
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return std::wstring();
  }
}

std::string HexBytes(const std::string& bytes) {
  std::string out;
  char cell[4];
  for (unsigned char c : bytes) {
    std::snprintf(cell, sizeof cell, out.empty() ? "%02X" : " %02X", c);
    out += cell;
  }
  return out;
}

}  // namespace testing_support
