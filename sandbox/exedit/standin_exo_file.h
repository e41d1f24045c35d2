// The stand-in's object file: a header line, the scene it was saved from
// (kept for a person reading the file; loading always adds to the current
// scene), then one line per object label, each line ending in CRLF.
#pragma once

#include "sandbox/exedit/standin_control.h"

namespace sandbox::standin {

// 1 when the whole file was written to the ANSI `path`, else 0.
int WriteExoFile(const char* path, int scene_number, const StandinScene& scene);

// Adds the file's objects to `scene`, as many as it has room for. 1 when the
// file was read, 0 for a missing one or one without the header.
int AppendExoFile(const char* path, StandinScene& scene);

}  // namespace sandbox::standin
