// Work on a thread of its own, so that COM and windows on it start clean.
#pragma once

#include <future>

namespace testing_support {

// Runs `work` on a new thread and returns what it returns. A thread that
// never ends is the test watchdog's to report.
template <typename Work>
auto OnFreshThread(Work work) -> decltype(work()) {
  return std::async(std::launch::async, work).get();
}

}  // namespace testing_support
