// Work on a thread of its own, so that COM and windows on it start clean,
// waited for within a bound.
#pragma once

#include <chrono>
#include <future>
#include <string>

#include "tests/support/stuck_process.h"

namespace testing_support {

// Longer than the dialog answerer takes to give up on a window that will not
// close, so that its more precise report comes first.
constexpr std::chrono::seconds kFreshThreadLimit{20};

// Runs `work` on a new thread and returns what it returns. A thread still
// running after the limit works on the caller's locals and cannot be left
// behind, so the process ends with a report of the open windows.
template <typename Work>
auto OnFreshThread(Work work) -> decltype(work()) {
  auto outcome = std::async(std::launch::async, work);
  if (outcome.wait_for(kFreshThreadLimit) != std::future_status::ready) {
    EndStuckProcess("work on a fresh thread did not finish within " +
                    std::to_string(kFreshThreadLimit.count()) + " s");
  }
  return outcome.get();
}

}  // namespace testing_support
