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

bool WriteJump(unsigned char* base, const EntryPoint& entry) {
  unsigned char* site = base + entry.offset;
  DWORD old_protection = 0;
  if (!VirtualProtect(site, entry.length, PAGE_EXECUTE_READWRITE, &old_protection)) {
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
    if (entry.offset < first || entry.offset + entry.length > end) return false;
  }
  for (const EntryPoint& entry : entries) {
    if (entry.routine && !WriteJump(module_base, entry)) return false;
  }
  return true;
}

}  // namespace sandbox::standin
