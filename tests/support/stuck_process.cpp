#include "tests/support/stuck_process.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "sandbox/host/dialog_answerer.h"

namespace testing_support {

void EndStuckProcess(const std::string& what) {
  std::fflush(stdout);
  const std::vector<HWND> windows = sandbox::VisibleProcessWindows();
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
