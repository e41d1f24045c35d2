// The one bound on every wait of the tests: a test still running long after
// the slowest test finishes ends its program, naming the test and the windows
// open. Every test program links this in.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "sandbox/host/process_windows.h"

namespace {

// The slowest test, the plug-in loaded, used and freed twenty-one times,
// takes about 4 s on a busy two-core machine.
constexpr DWORD kTestLimitMilliseconds = 30000;

class TestWatchdog : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo& test) override {
    name_ = std::string(test.test_suite_name()) + "." + test.name();
    if (!CreateTimerQueueTimer(&timer_, nullptr, &Expired, this,
                               kTestLimitMilliseconds, 0, WT_EXECUTEONLYONCE)) {
      timer_ = nullptr;
    }
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    // Waits for a running callback, which never returns anyway.
    if (timer_ != nullptr) DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
    timer_ = nullptr;
  }

 private:
  static void CALLBACK Expired(void* watchdog, BOOLEAN) {
    sandbox::EndStuckProcess("test " + static_cast<TestWatchdog*>(watchdog)->name_ +
                                 " still running after " +
                                 std::to_string(kTestLimitMilliseconds / 1000) + " s",
                             1);
  }

  std::string name_;
  HANDLE timer_ = nullptr;
};

// Before any test runs; gtest owns the listener from here on.
[[maybe_unused]] const bool kWatchdogInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new TestWatchdog);
  return true;
}();

}  // namespace
