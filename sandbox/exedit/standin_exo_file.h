// The stand-in's object file: a header line, the scene it was saved from
// (kept for a person reading the file; loading always adds to the current
// scene), then one line per object label.
#pragma once

#include "sandbox/exedit/standin_control.h"

namespace sandbox::standin {

// Objects read from a file, held apart so that a file that does not fit can
// leave the scene as it was.
struct ParsedObjects {
  int count;
  char labels[kStandinMaxObjects][kStandinMaxLabel];
};

// The first `count` of `labels` (0..kStandinMaxObjects), written to the ANSI
// `path`. False when a label holds a line break, which the file could not
// carry, or when the file cannot be written whole; a partly written file is
// removed rather than left to be loaded later.
bool WriteExoFile(const char* path, int scene_number,
                  const char (*labels)[kStandinMaxLabel], int count);

// False for a missing or oversized file and for one not laid out the way
// WriteExoFile writes it, except that lines may end in LF alone and the last
// may have no end at all.
bool ReadExoFile(const char* path, ParsedObjects& objects);

}  // namespace sandbox::standin
