// No C runtime here: what this code adds must stay small, below the first
// fixed offset (see standin_exedit.cpp), so the diagnostic is formatted by
// the system's wsprintfA.
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

void ReportLayoutFault(const EntryPoint& entry, uint32_t first, uint32_t end) {
  char message[256];
  wsprintfA(message,
            "exedit.auf (stand-in): refusing to load: %s 0x%08X lies outside "
            "the routine area [0x%08X, 0x%08X); the module no longer fits "
            "around the fixed offsets\n",
            entry.routine ? "entry point" : "object count", entry.offset, first, end);
  OutputDebugStringA(message);
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
  const uint32_t first = static_cast<uint32_t>(routine_area - module_base);
  const uint32_t end = first + static_cast<uint32_t>(routine_area_size);
  for (const EntryPoint& entry : entries) {
    if (entry.offset < first || entry.offset + entry.length > end) {
      ReportLayoutFault(entry, first, end);
      return false;
    }
  }
  for (const EntryPoint& entry : entries)
    if (entry.routine && !WriteJump(module_base, entry)) return false;
  return true;
}

}  // namespace sandbox::standin
