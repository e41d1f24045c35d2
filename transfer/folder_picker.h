// The system's folder dialog, for the batch commands.
#pragma once

#include <string>

// What the dialog gave back. `path` is the chosen folder's file-system path
// in the ANSI code page, or "" when the user cancelled or anything failed
// (the two are not told apart). `exact` says whether `path` names that very
// folder: false when the code page lacks one of its characters, so that
// `path` holds look-alikes and may name some other folder.
struct FolderChoice {
  std::string path;
  bool exact = false;
};

// Shows the common item dialog in folder mode under `title` (ASCII) and
// blocks until it is closed. Nothing is shown to the user beyond the dialog.
// COM is initialised as a single-threaded apartment for the call and
// everything obtained from it is released before returning. Throws nothing of
// its own; std::bad_alloc passes through.
FolderChoice SelectFolder(std::string title);
