// Makes every operator new of this test program throw std::bad_alloc while
// switched on, to see what the plug-in's code does when memory runs out.
#pragma once

namespace testing_support {

void FailAllocations(bool fail);

}  // namespace testing_support
