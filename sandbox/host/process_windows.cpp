#include "sandbox/host/process_windows.h"

#include <cstdio>

namespace sandbox {
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

std::vector<HWND> VisibleProcessWindows() {
  std::vector<HWND> windows;
  EnumWindows(&CollectVisibleOfProcess, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

void EndStuckProcess(const std::string& what, UINT exit_status) {
  std::fflush(stdout);
  const std::vector<HWND> windows = VisibleProcessWindows();
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
  TerminateProcess(GetCurrentProcess(), exit_status);
  ExitProcess(exit_status);  // only should termination itself have failed
}

}  // namespace sandbox
