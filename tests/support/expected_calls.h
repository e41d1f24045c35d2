// What the plug-in must ask of the host and of extended editing, every
// argument of every call in order, built from a scenario's own terms, to
// compare whole with what the sandbox host recorded: one comparison catches a
// wrong record, a non-null handle, a lookup past the host's list, a missed
// switch, a wrong path and a wrong order at once.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "sandbox/host/sandbox_host.h"

namespace sandbox {

void PrintTo(const Call& call, std::ostream* out);

}  // namespace sandbox

namespace testing_support {

using sandbox::Call;

// The index of `filter` in the host's list.
int IndexOf(const sandbox::Host& host, const sandbox::LoadedFilter& filter);

// A lookup by information text, as the init message makes it: system
// information, then filter by index from 0 up to `found`, or through all
// `filters` when `found` is -1.
std::vector<Call> InformationLookup(int filters, int found);
// The two entries the plug-in adds when it arms, import first.
std::vector<Call> MenuEntries(const sandbox::LoadedFilter& trebbo);

// What a command's calls carry: extended editing's record and where the
// host lists it, the plug-in's own record and the host's edit handle.
struct CommandContext {
  const FilterRecord* exedit;
  int exedit_index;
  int filters;  // in the host's list
  const FilterRecord* own;
  EditHandle edit;
};
CommandContext ContextIn(sandbox::Host& host, const sandbox::LoadedFilter& exedit,
                         const sandbox::LoadedFilter& trebbo);

// A lookup of extended editing by name: system information, then filter by
// index from the last down to extended editing's, or through all when it is
// not `found`.
std::vector<Call> NameLookup(const CommandContext& context, bool found = true);

// A whole command on the folder `folder` (without its trailing "\"), whose
// path the plug-in hands on in the ANSI code page:
// a lookup and a switch for every scene 0 to 49 in turn and back to 0, with
// a save (export) or a load (import) of the file of each of `scenes` in its
// own scene.
std::vector<Call> ExportCalls(const CommandContext& context, const std::wstring& folder,
                              const std::vector<int>& scenes);
std::vector<Call> ImportCalls(const CommandContext& context, const std::wstring& folder,
                              const std::vector<int>& scenes);
// All a command makes that misses extended editing at lookup number `n`
// (0 for the first) and ends there: `whole` up to that lookup, then the
// lookup that finds nothing.
std::vector<Call> StoppedAtLookup(std::vector<Call> whole, int n, const CommandContext& context);

// scene_root.exo for 0, scene_<n>.exo otherwise.
std::string SceneFileName(int scene);

}  // namespace testing_support
