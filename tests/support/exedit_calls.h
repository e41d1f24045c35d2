// What the stand-in extended editing was asked to do, every argument of every
// call in order, and what a whole command must ask of it, in a form that
// compares whole: one comparison catches a wrong record, a null handle, a
// missed switch, a wrong path and a wrong order at once.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "sandbox/exedit/standin_control.h"

namespace testing_support {

// One call of a routine. Fields the routine does not take stay empty.
struct ExeditCall {
  int routine;
  int scene;                   // switch: the scene asked for; save, load: the current one
  const FilterRecord* record;  // switch: extended editing's record; load: the caller's
  EditHandle edit;             // switch, load
  std::string path;            // save, load
  int a, b;                    // load
  bool operator==(const ExeditCall& other) const {
    return routine == other.routine && scene == other.scene && record == other.record &&
           edit == other.edit && path == other.path && a == other.a && b == other.b;
  }
};
void PrintTo(const ExeditCall& call, std::ostream* out);

// Every call in the stand-in's log.
std::vector<ExeditCall> ExeditCalls(const StandinControl& control);

// What a command's calls carry: extended editing's record as the host lists
// it, the plug-in's own record and the host's edit handle.
struct CommandContext {
  const FilterRecord* exedit;
  const FilterRecord* own;
  EditHandle edit;
};

// A whole command on the folder `folder` (ANSI, without its trailing "\"):
// a switch to every scene 0 to 49 in turn and back to 0, with a save (export)
// or a load (import) of the file of each of `scenes` in its own scene.
std::vector<ExeditCall> ExportCalls(const CommandContext& context, const std::string& folder,
                                    const std::vector<int>& scenes);
std::vector<ExeditCall> ImportCalls(const CommandContext& context, const std::string& folder,
                                    const std::vector<int>& scenes);
// The calls before switch number `n` (0 for the first): all a command that
// stops there makes.
std::vector<ExeditCall> BeforeSwitch(std::vector<ExeditCall> calls, int n);

// scene_root.exo for 0, scene_<n>.exo otherwise.
std::string SceneFileName(int scene);

}  // namespace testing_support
