#include "tests/support/stuck_process.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace testing_support {
namespace {

BOOL CALLBACK CollectVisibleOfProcess(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() && IsWindowVisible(window)) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  }
  return TRUE;
}

}  // namespace

void EndStuckProcess(const std::string& what) {
  std::fflush(stdout);
  std::vector<HWND> windows;
  EnumWindows(&CollectVisibleOfProcess, reinterpret_cast<LPARAM>(&windows));
  std::fprintf(stderr, "%s; %zu visible window(s) open%s\n", what.c_str(),
               windows.size(), windows.empty() ? "" : ":");
  for (HWND window : windows) {
    // Read without sending a message: the window's thread may be the stuck one.
    wchar_t title[256] = {}, window_class[64] = {};
    InternalGetWindowText(window, title, 256);
    GetClassNameW(window, window_class, 64);
    std::fprintf(stderr, "  \"%ls\" (class %ls, thread %lu)\n", title,
                 window_class, GetWindowThreadProcessId(window, nullptr));
  }
  std::fflush(stderr);
  // No DLL is told of the end: their detach code could wait on the stuck
  // thread. ExitProcess only in case termination itself failed.
  TerminateProcess(GetCurrentProcess(), 1);
  ExitProcess(1);
}

}  // namespace testing_support
