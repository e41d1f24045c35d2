// The end of a test program that would otherwise wait forever.
#pragma once

#include <string>

namespace testing_support {

// Says on stderr what was waited for and which windows of the process are
// open (a dialog nobody answers is the usual cause), then ends the process
// with a failure. For waits that cannot be abandoned and carried on from,
// such as a thread still working on its caller's locals.
[[noreturn]] void EndStuckProcess(const std::string& what);

}  // namespace testing_support
