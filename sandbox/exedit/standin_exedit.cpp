// The stand-in extended editing: a filter plug-in of the sandbox host that
// keeps 50 scenes of labelled objects and offers the scene-switch, save and
// load routines and the object-count variable at the offsets from its module
// base where the plug-in expects them. Every routine call is logged in the
// control block for the tests.
//
// Putting code at fixed offsets: a zero-filled, page-aligned area in .bss
// stretches the image over every offset, and at load the three routine
// offsets get a jmp to the real routine written into it
// (standin_placement.cpp). The rest of the module, this file's companions
// included, must stay small (plain Win32, no iostreams) so that .text, .data
// and .rdata end below the first offset; DllMain refuses to load if they do
// not.
#include "sandbox/exedit/standin_control.h"

#include <windows.h>

#include <climits>
#include <cstddef>
#include <cstring>

#include "sandbox/exedit/standin_exo_file.h"
#include "sandbox/exedit/standin_placement.h"

namespace {

constexpr char kName[] = "拡張編集";
constexpr char kInformation[] = "拡張編集(exedit) version 0.92 by ＴＯＲＶＥ";

constexpr unsigned kRoutineAreaSize = 0x200000;

// One object so that the control block is laid out after the routine area:
// separate statics may be placed in any order within .bss, and the control
// block (far larger than the space below the first offset) must not come
// first.
struct ModuleImage {
  alignas(4096) unsigned char routine_area[kRoutineAreaSize];
  StandinControl control;
};
ModuleImage g_image;

unsigned char* g_module_base;

// ---------------------------------------------------------------------------
// Filter table

BOOL __cdecl StandinFilterInit(FilterRecord*) { return TRUE; }

constexpr FilterTable MakeFilterTable() {
  FilterTable table{};
  table.name = kName;
  table.func_init = StandinFilterInit;
  table.information = kInformation;
  return table;
}
FilterTable g_filter_table = MakeFilterTable();

// ---------------------------------------------------------------------------
// Scenes and the object-count variable

StandinControl& Control() { return g_image.control; }

// Only ChangeScene and trebbo-host's sample project set current_scene, both
// to a scene that exists.
StandinScene& CurrentScene() { return Control().scenes[Control().current_scene]; }

// A count written directly by a test may be anything; the scene never holds
// more than its slots.
int UsableCount(const StandinScene& scene) {
  if (scene.count < 0) return 0;
  if (scene.count > kStandinMaxObjects) return kStandinMaxObjects;
  return scene.count;
}

void PublishObjectCount() {
  volatile int* count_variable = reinterpret_cast<volatile int*>(
      g_module_base + kStandinObjectCountOffset);
  *count_variable = CurrentScene().count;
}

// ---------------------------------------------------------------------------
// Call log

StandinCall g_unlogged_call;  // takes the details of calls past the log's end

void CountCall(StandinRoutine routine) {
  StandinControl& control = Control();
  if (control.call_count < INT_MAX) ++control.call_count;
  if (control.calls_by_routine[routine] < INT_MAX) ++control.calls_by_routine[routine];
}

StandinCall& BeginCall(StandinRoutine routine) {
  StandinControl& control = Control();
  const int index = control.call_count;
  CountCall(routine);
  StandinCall& call =
      index < kStandinMaxCalls ? control.calls[index] : g_unlogged_call;
  std::memset(&call, 0, sizeof call);
  call.routine = routine;
  call.current_scene = control.current_scene;
  return call;
}

void RecordPath(StandinCall& call, const char* path) {
  if (!path) {
    call.path_length = -1;
    return;
  }
  const size_t length = std::strlen(path);
  const size_t kept = length < sizeof call.path ? length : sizeof call.path - 1;
  std::memcpy(call.path, path, kept);
  call.path[kept] = '\0';
  call.path_length = length > INT_MAX ? INT_MAX : static_cast<int>(length);
}

// ---------------------------------------------------------------------------
// Object files of the current scene

bool SaveCurrentScene(const char* path) {
  const StandinScene& scene = CurrentScene();
  return sandbox::standin::WriteExoFile(path, Control().current_scene,
                                        scene.objects, UsableCount(scene));
}

// All or nothing: a file that does not fit leaves the scene as it was.
bool AppendFileToCurrentScene(const char* path) {
  StandinScene& scene = CurrentScene();
  sandbox::standin::ParsedObjects objects;
  if (!sandbox::standin::ReadExoFile(path, objects)) return false;
  const int first = UsableCount(scene);
  if (objects.count > kStandinMaxObjects - first) return false;
  std::memcpy(scene.objects[first], objects.labels,
              sizeof objects.labels[0] * objects.count);
  scene.count = first + objects.count;
  return true;
}

// ---------------------------------------------------------------------------
// The routines behind the fixed offsets

bool IsScene(int scene) { return scene >= 0 && scene < kStandinScenes; }

int __cdecl ChangeScene(int scene, FilterRecord* exedit, EditHandle edit) {
  const int result = IsScene(scene) ? 1 : 0;
  if (Control().no_work) {
    CountCall(kStandinChangeScene);
  } else {
    StandinCall& call = BeginCall(kStandinChangeScene);
    call.scene = scene;
    call.filter = exedit;
    call.edit = edit;
    call.result = result;
  }
  if (result) Control().current_scene = scene;
  PublishObjectCount();
  return result;
}

int __cdecl SaveExo(const char* path) {
  if (Control().no_work) {
    CountCall(kStandinSave);
    return 1;
  }
  StandinCall& call = BeginCall(kStandinSave);
  RecordPath(call, path);
  call.result = path && SaveCurrentScene(path) ? 1 : 0;
  return call.result;
}

int __cdecl LoadExo(const char* path, int a, int b, FilterRecord* caller,
                    EditHandle edit) {
  if (Control().no_work) {
    CountCall(kStandinLoad);
    return 1;
  }
  StandinCall& call = BeginCall(kStandinLoad);
  call.a = a;
  call.b = b;
  call.caller = caller;
  call.edit = edit;
  RecordPath(call, path);
  call.result = path && AppendFileToCurrentScene(path) ? 1 : 0;
  PublishObjectCount();
  return call.result;
}

bool PlaceRoutines() {
  const sandbox::standin::Routines routines = {
      reinterpret_cast<const void*>(ChangeScene),
      reinterpret_cast<const void*>(SaveExo),
      reinterpret_cast<const void*>(LoadExo),
  };
  return sandbox::standin::PlaceEntryPoints(g_module_base, g_image.routine_area,
                                            kRoutineAreaSize, routines);
}

}  // namespace

extern "C" FilterTable* __cdecl GetFilterTable() { return &g_filter_table; }

extern "C" StandinControl* __cdecl StandinGetControl() { return &Control(); }

extern "C" void __cdecl StandinSync() { PublishObjectCount(); }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  g_module_base = reinterpret_cast<unsigned char*>(instance);
  if (!PlaceRoutines()) return FALSE;
  PublishObjectCount();
  return TRUE;
}
