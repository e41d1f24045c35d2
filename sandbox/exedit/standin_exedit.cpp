// The stand-in extended editing: a filter plug-in of the sandbox host that
// keeps 50 scenes of labelled objects and offers the scene-switch, save and
// load routines and the object-count variable at the offsets from its module
// base where the plug-in expects them. Every routine call is logged in the
// control block for the tests.
//
// Putting code at fixed offsets: a zero-filled, page-aligned area in .bss
// stretches the image over every offset, and at load the three routine
// offsets get a jmp to the real routine written into it. The rest of the
// module must stay small (plain Win32, no iostreams) so that .text, .data and
// .rdata end below the first offset; DllMain refuses to load if they do not.
#include "sandbox/exedit/standin_control.h"

#include <windows.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr char kName[] = "拡張編集";
constexpr char kInformation[] = "拡張編集(exedit) version 0.92 by ＴＯＲＶＥ";

// The object file: a header line, the scene it was saved from (not used when
// loading: a file always goes into the current scene), one line per object.
constexpr char kExoHeader[] = "[standin-exo]";
constexpr char kExoSceneKey[] = "scene=";
constexpr char kExoObjectKey[] = "object=";
constexpr char kLineEnd[] = "\r\n";
constexpr DWORD kMaxExoFileSize = 16 * 1024;  // a full scene needs under 5 KiB

constexpr unsigned kJumpSize = 5;  // E9 rel32
constexpr unsigned char kJumpOpcode = 0xE9;
constexpr unsigned kRoutineAreaSize = 0x200000;

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

// ---------------------------------------------------------------------------
// Filter table

BOOL __cdecl StandinFilterInit(FilterRecord*) { return TRUE; }
BOOL __cdecl StandinFilterExit(FilterRecord*) { return TRUE; }
BOOL __cdecl StandinFilterWndProc(HWND, UINT, WPARAM, LPARAM, EditHandle,
                                  FilterRecord*) {
  return FALSE;
}

constexpr FilterTable MakeFilterTable() {
  FilterTable table{};
  table.name = kName;
  table.func_init = StandinFilterInit;
  table.func_exit = StandinFilterExit;
  table.func_wndproc = StandinFilterWndProc;
  table.information = kInformation;
  return table;
}
FilterTable g_filter_table = MakeFilterTable();

// ---------------------------------------------------------------------------
// Scenes and the object-count variable

StandinControl& Control() { return g_image.control; }

// Null when a test left current_scene out of range.
StandinScene* CurrentScene() {
  const int scene = Control().current_scene;
  if (scene < 0 || scene >= kStandinScenes) return nullptr;
  return &Control().scenes[scene];
}

// A count written directly by a test may be anything; the scene never holds
// more than its slots.
int UsableCount(const StandinScene& scene) {
  if (scene.count < 0) return 0;
  if (scene.count > kStandinMaxObjects) return kStandinMaxObjects;
  return scene.count;
}

void PublishObjectCount() {
  const StandinScene* scene = CurrentScene();
  volatile int* count_variable = reinterpret_cast<volatile int*>(
      g_module_base + kStandinObjectCountOffset);
  *count_variable = scene ? scene->count : 0;
}

// ---------------------------------------------------------------------------
// Call log

StandinCall g_unlogged_call;  // takes the details of calls past the log's end

void CountCall() {
  if (Control().call_count < INT_MAX) ++Control().call_count;
}

StandinCall& BeginCall(StandinRoutine routine) {
  StandinControl& control = Control();
  const int index = control.call_count;
  CountCall();
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
// Writing an object file

struct TextBuffer {
  char bytes[8 * 1024];
  size_t size;
  bool overflowed;
};

void Append(TextBuffer& text, const char* bytes, size_t length) {
  if (length > sizeof text.bytes - text.size) {
    text.overflowed = true;
    return;
  }
  std::memcpy(text.bytes + text.size, bytes, length);
  text.size += length;
}

void AppendString(TextBuffer& text, const char* s) {
  Append(text, s, std::strlen(s));
}

void AppendDecimal(TextBuffer& text, int value) {
  char digits[12];
  size_t start = sizeof digits;
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value)
                                 : static_cast<unsigned>(value);
  do {
    digits[--start] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits[--start] = '-';
  Append(text, digits + start, sizeof digits - start);
}

// A label is the bytes up to its NUL, at most kStandinMaxLabel - 1 of them.
size_t LabelLength(const char* label) {
  const void* nul = std::memchr(label, '\0', kStandinMaxLabel);
  return nul ? static_cast<const char*>(nul) - label : kStandinMaxLabel - 1;
}

// False when a label holds a line break, which the file could not carry.
bool FormatScene(const StandinScene& scene, int scene_number,
                 TextBuffer& text) {
  AppendString(text, kExoHeader);
  AppendString(text, kLineEnd);
  AppendString(text, kExoSceneKey);
  AppendDecimal(text, scene_number);
  AppendString(text, kLineEnd);
  for (int i = 0; i < UsableCount(scene); ++i) {
    const char* label = scene.objects[i];
    const size_t length = LabelLength(label);
    if (std::memchr(label, '\r', length) || std::memchr(label, '\n', length))
      return false;
    AppendString(text, kExoObjectKey);
    Append(text, label, length);
    AppendString(text, kLineEnd);
  }
  return !text.overflowed;
}

bool WriteWholeFile(const char* path, const char* bytes, size_t size) {
  const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL wrote =
      WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
  const BOOL closed = CloseHandle(file);
  if (wrote && closed && written == size) return true;
  DeleteFileA(path);
  return false;
}

bool SaveCurrentScene(const char* path) {
  const StandinScene* scene = CurrentScene();
  if (!scene) return false;
  TextBuffer text{};
  if (!FormatScene(*scene, Control().current_scene, text)) return false;
  return WriteWholeFile(path, text.bytes, text.size);
}

// ---------------------------------------------------------------------------
// Reading an object file

struct FileBytes {
  char bytes[kMaxExoFileSize];
  size_t size;
};

bool ReadWholeFile(const char* path, FileBytes& file_bytes) {
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
            size.QuadPart <= static_cast<LONGLONG>(sizeof file_bytes.bytes);
  DWORD read = 0;
  if (ok) {
    ok = ReadFile(file, file_bytes.bytes, static_cast<DWORD>(size.QuadPart),
                  &read, nullptr) &&
         read == size.QuadPart;
  }
  CloseHandle(file);
  file_bytes.size = read;
  return ok;
}

struct Line {
  const char* begin;
  size_t length;
};

// Lines end in LF with an optional CR before it; the last may have no end.
bool NextLine(const char*& cursor, const char* end, Line& line) {
  if (cursor == end) return false;
  const char* lf = static_cast<const char*>(std::memchr(cursor, '\n', end - cursor));
  const char* line_end = lf ? lf : end;
  line.begin = cursor;
  line.length = line_end - cursor;
  if (lf && line.length > 0 && line_end[-1] == '\r') --line.length;
  cursor = lf ? lf + 1 : end;
  return true;
}

bool LineIs(const Line& line, const char* text) {
  const size_t length = std::strlen(text);
  return line.length == length && std::memcmp(line.begin, text, length) == 0;
}

// When the line starts with key, the rest of it becomes value.
bool SplitKey(const Line& line, const char* key, Line& value) {
  const size_t key_length = std::strlen(key);
  if (line.length < key_length || std::memcmp(line.begin, key, key_length) != 0)
    return false;
  value.begin = line.begin + key_length;
  value.length = line.length - key_length;
  return true;
}

bool IsDecimal(const Line& text) {
  if (text.length == 0 || text.length > 9) return false;
  for (size_t i = 0; i < text.length; ++i)
    if (text.begin[i] < '0' || text.begin[i] > '9') return false;
  return true;
}

// Objects read from a file, before they are added to the scene.
struct ParsedObjects {
  int count;
  char labels[kStandinMaxObjects][kStandinMaxLabel];
};

bool ParseExo(const FileBytes& file, ParsedObjects& objects) {
  if (std::memchr(file.bytes, '\0', file.size)) return false;
  const char* cursor = file.bytes;
  const char* const end = file.bytes + file.size;
  Line line{};
  Line value{};
  if (!NextLine(cursor, end, line) || !LineIs(line, kExoHeader)) return false;
  if (!NextLine(cursor, end, line) || !SplitKey(line, kExoSceneKey, value) ||
      !IsDecimal(value))
    return false;
  objects.count = 0;
  while (NextLine(cursor, end, line)) {
    if (!SplitKey(line, kExoObjectKey, value)) return false;
    if (value.length >= kStandinMaxLabel) return false;
    if (objects.count == kStandinMaxObjects) return false;
    char* label = objects.labels[objects.count++];
    std::memcpy(label, value.begin, value.length);
    std::memset(label + value.length, 0, kStandinMaxLabel - value.length);
  }
  return true;
}

// All or nothing: a file that does not fit leaves the scene as it was.
bool AppendFileToCurrentScene(const char* path) {
  StandinScene* scene = CurrentScene();
  if (!scene) return false;
  FileBytes file;
  ParsedObjects objects;
  if (!ReadWholeFile(path, file) || !ParseExo(file, objects)) return false;
  const int first = UsableCount(*scene);
  if (objects.count > kStandinMaxObjects - first) return false;
  std::memcpy(scene->objects[first], objects.labels,
              sizeof objects.labels[0] * objects.count);
  scene->count = first + objects.count;
  return true;
}

// ---------------------------------------------------------------------------
// The routines behind the fixed offsets

bool IsScene(int scene) { return scene >= 0 && scene < kStandinScenes; }

int __cdecl ChangeScene(int scene, FilterRecord* exedit, EditHandle edit) {
  const int result = IsScene(scene) ? 1 : 0;
  if (Control().no_work) {
    CountCall();
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
    CountCall();
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
    CountCall();
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

// ---------------------------------------------------------------------------
// Placing the routines

struct EntryPoint {
  unsigned offset;
  unsigned length;
  const void* routine;  // null for the count variable
};

const EntryPoint kEntryPoints[] = {
    {kStandinChangeSceneOffset, kJumpSize, reinterpret_cast<const void*>(ChangeScene)},
    {kStandinSaveOffset, kJumpSize, reinterpret_cast<const void*>(SaveExo)},
    {kStandinLoadOffset, kJumpSize, reinterpret_cast<const void*>(LoadExo)},
    {kStandinObjectCountOffset, sizeof(int), nullptr},
};

struct Message {
  char text[256];
  size_t size;
};

void Add(Message& message, const char* s) {
  for (; *s && message.size + 1 < sizeof message.text; ++s)
    message.text[message.size++] = *s;
  message.text[message.size] = '\0';
}

void AddHex(Message& message, uint32_t value) {
  char digits[11] = "0x";
  for (int i = 0; i < 8; ++i)
    digits[2 + i] = "0123456789ABCDEF"[(value >> (28 - 4 * i)) & 0xF];
  digits[10] = '\0';
  Add(message, digits);
}

void ReportLayoutFault(const char* what, uint32_t offset, uint32_t first,
                       uint32_t end) {
  Message message{};
  Add(message, "exedit.auf (stand-in): refusing to load: ");
  Add(message, what);
  Add(message, " ");
  AddHex(message, offset);
  Add(message, " lies outside the routine area [");
  AddHex(message, first);
  Add(message, ", ");
  AddHex(message, end);
  Add(message, "); the module no longer fits around the fixed offsets\n");
  OutputDebugStringA(message.text);
}

// The section header of the section holding rva, or null.
const IMAGE_SECTION_HEADER* SectionOf(const unsigned char* base, uint32_t rva) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    const uint32_t size = section->Misc.VirtualSize;
    if (rva >= section->VirtualAddress && rva - section->VirtualAddress < size)
      return section;
  }
  return nullptr;
}

// Every entry point must fall inside the routine area and inside the one
// section that holds it; otherwise the jumps would overwrite live code or
// data.
bool EntryPointsFitRoutineArea(const unsigned char* base) {
  const uint32_t area_first = static_cast<uint32_t>(g_image.routine_area - base);
  const IMAGE_SECTION_HEADER* section = SectionOf(base, area_first);
  if (!section) {
    OutputDebugStringA(
        "exedit.auf (stand-in): refusing to load: no section holds the "
        "routine area\n");
    return false;
  }
  const uint32_t section_end = section->VirtualAddress + section->Misc.VirtualSize;
  const uint32_t area_end = area_first + kRoutineAreaSize;
  const uint32_t first =
      area_first > section->VirtualAddress ? area_first : section->VirtualAddress;
  const uint32_t end = area_end < section_end ? area_end : section_end;
  for (const EntryPoint& entry : kEntryPoints) {
    if (entry.offset < first || entry.offset + entry.length > end) {
      ReportLayoutFault(entry.routine ? "entry point" : "object count",
                        entry.offset, first, end);
      return false;
    }
  }
  return true;
}

bool WriteJump(unsigned char* base, const EntryPoint& entry) {
  unsigned char* site = base + entry.offset;
  DWORD old_protection = 0;
  if (!VirtualProtect(site, entry.length, PAGE_EXECUTE_READWRITE,
                      &old_protection)) {
    OutputDebugStringA(
        "exedit.auf (stand-in): refusing to load: cannot make the routine "
        "area executable\n");
    return false;
  }
  const uint32_t next = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(site)) + kJumpSize;
  const uint32_t target =
      static_cast<uint32_t>(reinterpret_cast<uintptr_t>(entry.routine));
  const uint32_t displacement = target - next;
  site[0] = kJumpOpcode;
  std::memcpy(site + 1, &displacement, sizeof displacement);
  FlushInstructionCache(GetCurrentProcess(), site, entry.length);
  return true;
}

bool PlaceEntryPoints(unsigned char* base) {
  if (!EntryPointsFitRoutineArea(base)) return false;
  for (const EntryPoint& entry : kEntryPoints)
    if (entry.routine && !WriteJump(base, entry)) return false;
  return true;
}

}  // namespace

extern "C" FilterTable* __cdecl GetFilterTable() { return &g_filter_table; }

extern "C" StandinControl* __cdecl StandinGetControl() { return &Control(); }

extern "C" void __cdecl StandinSync() { PublishObjectCount(); }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  g_module_base = reinterpret_cast<unsigned char*>(instance);
  if (!PlaceEntryPoints(g_module_base)) return FALSE;
  PublishObjectCount();
  return TRUE;
}
