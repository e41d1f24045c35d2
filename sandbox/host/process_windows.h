// The windows of this process, and the end of a process that would otherwise
// wait for ever on one of them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sandbox {

// The visible top-level windows of this process, whichever thread owns them.
// Sends no message, so it answers even while a window's thread is stuck.
std::vector<HWND> VisibleProcessWindows();

// Says on stderr what was waited for and which windows of the process are
// open (a dialog nobody could answer is the usual cause), then ends the
// process with `exit_status`. No DLL is told of the end: its detach code
// could wait on the stuck thread.
[[noreturn]] void EndStuckProcess(const std::string& what, UINT exit_status);

}  // namespace sandbox
