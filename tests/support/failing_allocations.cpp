#include "tests/support/failing_allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> fail_allocations{false};
}  // namespace

namespace testing_support {

void FailAllocations(bool fail) { fail_allocations = fail; }

}  // namespace testing_support

void* operator new(std::size_t size) {
  if (fail_allocations) throw std::bad_alloc();
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
