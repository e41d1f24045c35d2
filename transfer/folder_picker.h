// The system's folder dialog, for the batch commands.
#pragma once

#include <string>

// Shows the common item dialog in folder mode under `title` (ASCII) and
// blocks until it is closed. Returns the chosen folder's file-system path in
// the ANSI code page, or "" when the user cancels or anything fails; the two
// are not told apart and nothing is shown to the user. COM is initialised as
// a single-threaded apartment for the call and everything obtained from it is
// released before returning. Throws nothing of its own; std::bad_alloc passes
// through.
std::string SelectFolder(std::string title);
