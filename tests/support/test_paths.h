// Where the test programs find the built plug-ins, and scratch folders.
#pragma once

#include <string>

namespace testing_support {

// The built trebbo.auf and the stand-in exedit.auf as Windows paths.
std::string TrebboAufPath();
std::string ExeditStandinPath();

// A new empty folder under the wine temp folder, unique per call.
std::wstring NewScratchFolder(const std::wstring& hint);

}  // namespace testing_support
