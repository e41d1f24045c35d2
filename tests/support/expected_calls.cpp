#include "tests/support/expected_calls.h"

#include <algorithm>

#include "sandbox/host/text_conversion.h"
#include "tests/support/sjis_texts.h"

namespace sandbox {

// The fields a call was given: the host leaves the others empty.
void PrintTo(const Call& call, std::ostream* out) {
  static const char* const kKinds[] = {"system information", "filter by index", "add menu entry",
                                       "switch", "save", "load", "exit callback answered"};
  *out << kKinds[static_cast<int>(call.kind)] << " " << call.number;
  if (call.record != nullptr) *out << ", record " << call.record;
  if (call.edit != nullptr) *out << ", edit " << call.edit;
  if (!call.text.empty()) *out << ", \"" << call.text << "\"";
  if (call.window != nullptr) *out << ", window " << call.window;
  if (call.a != 0 || call.b != 0) *out << ", " << call.a << ", " << call.b;
}

}  // namespace sandbox

namespace testing_support {
namespace {

using Kind = Call::Kind;

Call FilterByIndex(int index) { return {Kind::kFilterByIndex, index}; }

std::vector<Call> CommandCalls(const CommandContext& context, Kind routine,
                               const std::wstring& folder, const std::vector<int>& scenes) {
  std::vector<Call> calls;
  for (int step = 0; step <= kStandinScenes; ++step) {
    const int scene = step % kStandinScenes;  // the last step goes back to the root
    const std::vector<Call> lookup = NameLookup(context);
    calls.insert(calls.end(), lookup.begin(), lookup.end());
    calls.push_back({Kind::kChangeScene, scene, context.exedit, context.edit});
    if (step == kStandinScenes || std::count(scenes.begin(), scenes.end(), scene) == 0) continue;
    const std::string path = sandbox::Ansi(folder) + "\\" + SceneFileName(scene);
    if (routine == Kind::kSave) {
      calls.push_back({Kind::kSave, scene, nullptr, nullptr, path});
    } else {
      calls.push_back({Kind::kLoad, scene, context.own, context.edit, path});
    }
  }
  return calls;
}

}  // namespace

int IndexOf(const sandbox::Host& host, const sandbox::LoadedFilter& filter) {
  const auto& filters = host.filters();
  const auto at = std::find_if(filters.begin(), filters.end(),
                               [&filter](const auto& listed) { return listed.get() == &filter; });
  return static_cast<int>(at - filters.begin());
}

std::vector<Call> InformationLookup(int filters, int found) {
  std::vector<Call> calls = {{Kind::kSystemInfo}};
  const int last = found >= 0 ? found : filters - 1;
  for (int index = 0; index <= last; ++index) calls.push_back(FilterByIndex(index));
  return calls;
}

std::vector<Call> MenuEntries(const sandbox::LoadedFilter& trebbo) {
  return {{Kind::kAddMenuItem, 1025, &trebbo.record, nullptr, sjis::kMenuImportAll, trebbo.window},
          {Kind::kAddMenuItem, 1026, &trebbo.record, nullptr, sjis::kMenuExportAll, trebbo.window}};
}

CommandContext ContextIn(sandbox::Host& host, const sandbox::LoadedFilter& exedit,
                         const sandbox::LoadedFilter& trebbo) {
  return {&exedit.record, IndexOf(host, exedit), static_cast<int>(host.filters().size()),
          &trebbo.record, host.edit_handle()};
}

std::vector<Call> NameLookup(const CommandContext& context, bool found) {
  std::vector<Call> calls = {{Kind::kSystemInfo}};
  const int last = found ? context.exedit_index : 0;
  for (int index = context.filters - 1; index >= last; --index) {
    calls.push_back(FilterByIndex(index));
  }
  return calls;
}

std::vector<Call> ExportCalls(const CommandContext& context, const std::wstring& folder,
                              const std::vector<int>& scenes) {
  return CommandCalls(context, Kind::kSave, folder, scenes);
}

std::vector<Call> ImportCalls(const CommandContext& context, const std::wstring& folder,
                              const std::vector<int>& scenes) {
  return CommandCalls(context, Kind::kLoad, folder, scenes);
}

std::vector<Call> StoppedAtLookup(std::vector<Call> whole, int n, const CommandContext& context) {
  auto end = whole.begin();
  for (int lookups = 0; end != whole.end(); ++end) {
    if (end->kind == Kind::kSystemInfo && lookups++ == n) break;
  }
  whole.erase(end, whole.end());
  const std::vector<Call> missed = NameLookup(context, false);
  whole.insert(whole.end(), missed.begin(), missed.end());
  return whole;
}

std::string SceneFileName(int scene) {
  return scene == 0 ? "scene_root.exo" : "scene_" + std::to_string(scene) + ".exo";
}

}  // namespace testing_support
