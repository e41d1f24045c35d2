// Where the test programs find the built plug-ins, and scratch folders.
#pragma once

#include <string>

namespace testing_support {

// The plug-in the tests load (in the 32-bit build the shipped one, in the
// x86-64 build its own) and the stand-in exedit.auf, as Windows paths.
std::string TrebboAufPath();
std::string ExeditStandinPath();

// A new empty folder under the wine temp folder, unique per call.
std::wstring NewScratchFolder(const std::wstring& hint);

}  // namespace testing_support
