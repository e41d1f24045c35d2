// A test program that crashes ends at once with a line naming the test,
// instead of starting wine's debugger, whose crash dialog would wait for a
// click. Every test program links this in.
#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

namespace {

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

[[maybe_unused]] const LPTOP_LEVEL_EXCEPTION_FILTER kPreviousFilter =
    SetUnhandledExceptionFilter(&ReportCrash);

}  // namespace
