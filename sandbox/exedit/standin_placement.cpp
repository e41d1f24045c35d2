// No C runtime formatting here: the diagnostic is assembled by hand so that
// this code adds little to the part of the module that must stay below the
// first fixed offset.
#include "sandbox/exedit/standin_placement.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

#include "sandbox/exedit/standin_control.h"

namespace sandbox::standin {
namespace {

constexpr unsigned kJumpSize = 5;  // E9 rel32
constexpr unsigned char kJumpOpcode = 0xE9;

static_assert(kStandinSaveOffset + kJumpSize <= kStandinChangeSceneOffset &&
                  kStandinChangeSceneOffset + kJumpSize <= kStandinLoadOffset &&
                  kStandinLoadOffset + kJumpSize <= kStandinObjectCountOffset,
              "the entry points must not overlap");

struct EntryPoint {
  unsigned offset;
  unsigned length;
  const void* routine;  // null for the count variable
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

bool EntryPointsFitRoutineArea(const unsigned char* base,
                               const unsigned char* routine_area,
                               size_t routine_area_size,
                               const EntryPoint* entries, size_t entry_count) {
  const uint32_t area_first = static_cast<uint32_t>(routine_area - base);
  const IMAGE_SECTION_HEADER* section = SectionOf(base, area_first);
  if (!section) {
    OutputDebugStringA(
        "exedit.auf (stand-in): refusing to load: no section holds the "
        "routine area\n");
    return false;
  }
  const uint32_t section_end = section->VirtualAddress + section->Misc.VirtualSize;
  const uint32_t area_end = area_first + static_cast<uint32_t>(routine_area_size);
  const uint32_t first =
      area_first > section->VirtualAddress ? area_first : section->VirtualAddress;
  const uint32_t end = area_end < section_end ? area_end : section_end;
  for (size_t i = 0; i < entry_count; ++i) {
    const EntryPoint& entry = entries[i];
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

}  // namespace

bool PlaceEntryPoints(unsigned char* module_base,
                      const unsigned char* routine_area,
                      size_t routine_area_size, const Routines& routines) {
  const EntryPoint entries[] = {
      {kStandinChangeSceneOffset, kJumpSize, routines.change_scene},
      {kStandinSaveOffset, kJumpSize, routines.save},
      {kStandinLoadOffset, kJumpSize, routines.load},
      {kStandinObjectCountOffset, sizeof(int), nullptr},
  };
  const size_t entry_count = sizeof entries / sizeof entries[0];
  if (!EntryPointsFitRoutineArea(module_base, routine_area, routine_area_size,
                                 entries, entry_count))
    return false;
  for (const EntryPoint& entry : entries)
    if (entry.routine && !WriteJump(module_base, entry)) return false;
  return true;
}

}  // namespace sandbox::standin
