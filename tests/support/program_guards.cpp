// What every test program links in. It runs under the ANSI code page its
// ctest entry names (TREBBO_EXPECT_ACP), or fails as a whole: another one
// would test the wrong conversions. And it never waits for ever: a test still
// running long after the slowest test finishes ends its program, naming the
// test and the windows open, and a crash ends it at once with a line naming
// the test, instead of starting wine's debugger, whose crash dialog would
// wait for a click. This is the one bound on every wait of the tests.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "sandbox/host/process_windows.h"

namespace {

class ExpectedAnsiCodePage : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* expected = std::getenv("TREBBO_EXPECT_ACP");
    if (expected == nullptr || *expected == '\0') return;
    ASSERT_EQ(std::to_string(GetACP()), expected)
        << "the ANSI code page is not the one this run is meant to test";
  }
};

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

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
  const ::testing::TestInfo* test =
      ::testing::UnitTest::GetInstance()->current_test_info();
  std::fflush(stdout);
  std::fprintf(stderr, "crashed in %s%s%s: exception 0x%08lX at %p\n",
               test ? test->test_suite_name() : "no test",
               test ? "." : "", test ? test->name() : "",
               exception->ExceptionRecord->ExceptionCode,
               exception->ExceptionRecord->ExceptionAddress);
  std::fflush(stderr);
  // An exit status of its own: the exception code, cut to the eight bits a
  // Unix parent sees, could even read as success.
  TerminateProcess(GetCurrentProcess(), 1);
  return EXCEPTION_EXECUTE_HANDLER;
}

// Before any test runs; gtest owns the environment and the listener from
// here on.
[[maybe_unused]] const bool kInstalled = [] {
  ::testing::AddGlobalTestEnvironment(new ExpectedAnsiCodePage);
  ::testing::UnitTest::GetInstance()->listeners().Append(new TestWatchdog);
  SetUnhandledExceptionFilter(&ReportCrash);
  return true;
}();

}  // namespace
