// The stand-in extended editing: a filter plug-in of the sandbox host that
// keeps 50 scenes of labelled objects and offers the scene-switch, save and
// load routines and the object-count variable at the offsets from its module
// base where the plug-in expects them. Every routine call is reported to
// whoever set the control block's report (the sandbox host, which records it).
//
// Putting code at fixed offsets: a zero-filled, page-aligned area in .bss
// stretches the image over every offset, and at load the three routine
// offsets get a jmp to the real routine written into it. The rest of the
// module must stay small (plain Win32 and the system's wsprintfA, no
// iostreams) so that .text, .data and .rdata end below the first offset;
// DllMain refuses to load if they do not, as a jump written there would
// overwrite live code or data.
#include "sandbox/exedit/standin_control.h"

#include <windows.h>

#include <cstdint>
#include <cstring>


namespace {

constexpr char kName[] = "拡張編集";
constexpr char kInformation[] = "拡張編集(exedit) version 0.92 by ＴＯＲＶＥ";

constexpr unsigned kRoutineAreaSize = 0x200000;
constexpr unsigned kJumpSize = 5;  // E9 rel32

static_assert(kStandinSaveOffset + kJumpSize <= kStandinChangeSceneOffset &&
                  kStandinChangeSceneOffset + kJumpSize <= kStandinLoadOffset &&
                  kStandinLoadOffset + kJumpSize <= kStandinObjectCountOffset,
              "the entry points must not overlap");

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

BOOL __cdecl StandinFilterInit(FilterRecord*) { return TRUE; }

constexpr FilterTable MakeFilterTable() {
  FilterTable table{};
  table.name = kName;
  table.func_init = StandinFilterInit;
  table.information = kInformation;
  return table;
}
FilterTable g_filter_table = MakeFilterTable();

StandinControl& Control() { return g_image.control; }

StandinScene& CurrentScene() { return Control().scenes[Control().current_scene]; }

void PublishObjectCount() {
  volatile int* count_variable = reinterpret_cast<volatile int*>(
      g_module_base + kStandinObjectCountOffset);
  *count_variable = CurrentScene().count;
}

// The stand-in's object file: a header line, the scene it was saved from
// (kept for a person reading the file; loading always adds to the current
// scene), then one line per object label, each line ending in CRLF.
constexpr char kHeader[] = "[standin-exo]\r\n";
constexpr char kObjectKey[] = "object=";
constexpr DWORD kMaxFileSize = 16 * 1024;

// The header, the scene line and every object line of a full scene.
static_assert(sizeof kHeader + 20 +
                      kStandinMaxObjects * (sizeof kObjectKey + kStandinMaxLabel + 2) <
                  kMaxFileSize,
              "a full scene must fit the file buffer");

// 1 when the whole file was written to the ANSI `path`, else 0.
int WriteExoFile(const char* path, int scene_number, const StandinScene& scene) {
  char text[kMaxFileSize];
  int size = wsprintfA(text, "%sscene=%d\r\n", kHeader, scene_number);
  for (int i = 0; i < scene.count; ++i) {
    size += wsprintfA(text + size, "%s%s\r\n", kObjectKey, scene.objects[i]);
  }
  const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, text, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  return wrote && written == static_cast<DWORD>(size) ? 1 : 0;
}

// Adds the file's objects to `scene`, as many as it has room for. 1 when the
// file was read, 0 for a missing one or one without the header.
int AppendExoFile(const char* path, StandinScene& scene) {
  char text[kMaxFileSize + 1];
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD size = 0;
  const BOOL read = ReadFile(file, text, kMaxFileSize, &size, nullptr);
  CloseHandle(file);
  text[size] = '\0';
  if (!read || std::strncmp(text, kHeader, sizeof kHeader - 1) != 0) return 0;
  // Each line that starts with the object key is one object.
  for (char* line = text; line != nullptr && scene.count < kStandinMaxObjects;) {
    char* const end = std::strstr(line, "\r\n");
    if (end != nullptr) *end = '\0';
    if (std::strncmp(line, kObjectKey, sizeof kObjectKey - 1) == 0) {
      lstrcpynA(scene.objects[scene.count++], line + sizeof kObjectKey - 1, kStandinMaxLabel);
    }
    line = end != nullptr ? end + 2 : nullptr;
  }
  return 1;
}

void Report(const StandinCall& call) {
  if (Control().report != nullptr) Control().report(&call);
}

int __cdecl ChangeScene(int scene, FilterRecord* exedit, EditHandle edit) {
  Report({kStandinChangeScene, scene, exedit, edit, 0, 0, nullptr});
  // Refused, so that a caller off by one cannot reach past the scenes.
  if (scene < 0 || scene >= kStandinScenes) return 0;
  Control().current_scene = scene;
  PublishObjectCount();
  return 1;
}

int __cdecl SaveExo(const char* path) {
  Report({kStandinSave, Control().current_scene, nullptr, nullptr, 0, 0, path});
  if (Control().no_work) return 1;
  return WriteExoFile(path, Control().current_scene, CurrentScene());
}

int __cdecl LoadExo(const char* path, int a, int b, FilterRecord* caller,
                    EditHandle edit) {
  Report({kStandinLoad, Control().current_scene, caller, edit, a, b, path});
  if (Control().no_work) return 1;
  const int read = AppendExoFile(path, CurrentScene());
  PublishObjectCount();
  return read;
}

// A jmp to `routine` at `offset` from the module base.
bool PlaceJump(unsigned offset, const void* routine) {
  unsigned char* site = g_module_base + offset;
  DWORD old_protection = 0;
  if (!VirtualProtect(site, kJumpSize, PAGE_EXECUTE_READWRITE, &old_protection)) return false;
  const uint32_t next = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(site)) + kJumpSize;
  const uint32_t displacement =
      static_cast<uint32_t>(reinterpret_cast<uintptr_t>(routine)) - next;
  site[0] = 0xE9;
  std::memcpy(site + 1, &displacement, sizeof displacement);
  FlushInstructionCache(GetCurrentProcess(), site, kJumpSize);
  return true;
}

}  // namespace

extern "C" FilterTable* __cdecl GetFilterTable() { return &g_filter_table; }

extern "C" StandinControl* __cdecl StandinGetControl() { return &Control(); }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  g_module_base = reinterpret_cast<unsigned char*>(instance);
  const unsigned area_first = static_cast<unsigned>(g_image.routine_area - g_module_base);
  if (kStandinSaveOffset < area_first ||
      kStandinObjectCountOffset + sizeof(int) > area_first + kRoutineAreaSize) {
    return FALSE;
  }
  if (!PlaceJump(kStandinChangeSceneOffset, reinterpret_cast<const void*>(ChangeScene)) ||
      !PlaceJump(kStandinSaveOffset, reinterpret_cast<const void*>(SaveExo)) ||
      !PlaceJump(kStandinLoadOffset, reinterpret_cast<const void*>(LoadExo))) {
    return FALSE;
  }
  PublishObjectCount();
  return TRUE;
}
