#include "exedit/exedit_link.h"

namespace {

using ChangeSceneFn = int(__cdecl*)(int scene, FilterRecord* exedit,
                                    EditHandle edit);
using LoadExoFn = int(__cdecl*)(const char* path, int a, int b,
                                FilterRecord* caller, EditHandle edit);
using SaveExoFn = int(__cdecl*)(const char* path);

struct ResolvedLink {
  BYTE* module_base = nullptr;
  const int* object_count = nullptr;
  LoadExoFn load_exo = nullptr;
  SaveExoFn save_exo = nullptr;
  ChangeSceneFn change_scene = nullptr;
};

ResolvedLink link;

template <typename Fn>
Fn RoutineAt(DWORD offset) {
  return reinterpret_cast<Fn>(link.module_base + offset);
}

}  // namespace

bool ExeditLink::Resolve() {
  if (IsResolved()) return true;
  HMODULE module = GetModuleHandleA("exedit.auf");
  if (module == nullptr) return false;
  link.module_base = reinterpret_cast<BYTE*>(module);
  link.object_count =
      reinterpret_cast<const int*>(link.module_base + kExeditObjectCountOffset);
  link.load_exo = RoutineAt<LoadExoFn>(kExeditLoadExoOffset);
  link.save_exo = RoutineAt<SaveExoFn>(kExeditSaveExoOffset);
  link.change_scene = RoutineAt<ChangeSceneFn>(kExeditChangeSceneOffset);
  return true;
}

bool ExeditLink::IsResolved() { return link.module_base != nullptr; }

int ExeditLink::ChangeScene(int scene, FilterRecord* exedit, EditHandle edit) {
  return link.change_scene(scene, exedit, edit);
}

int ExeditLink::LoadExo(const char* path, int a, int b, FilterRecord* caller,
                        EditHandle edit) {
  return link.load_exo(path, a, b, caller, edit);
}

int ExeditLink::SaveExo(const char* path) { return link.save_exo(path); }

int ExeditLink::ObjectCount() {
  // Extended editing changes the count behind our back on every switch.
  return *static_cast<const volatile int*>(link.object_count);
}
