// The host editor's side of the plug-in interface: the records it exchanges
// with filter plug-ins, its service table and the messages it sends.
// The host is a 32-bit program: its records are arrays of 32-bit
// little-endian words. The same sources also build for x86-64, for tests
// only (the host has no x86-64 interface); there every word of a record is an
// 8-byte slot, so a field lies at twice its 32-bit offset (the one its
// comment gives). The static_asserts pin each build's layout, so a field
// slipping by one word fails the build.
#pragma once

#include <windows.h>

#include <cstddef>

struct FilterRecord;
struct SystemInfo;

// Opaque per-project handle the host passes along; never looked into.
using EditHandle = void*;

using FilterInitFn = BOOL(__cdecl*)(FilterRecord* own);
using FilterExitFn = BOOL(__cdecl*)(FilterRecord* own);
using FilterWndProcFn = BOOL(__cdecl*)(HWND window, UINT message, WPARAM wparam,
                                       LPARAM lparam, EditHandle edit,
                                       FilterRecord* own);

using GetSystemInfoFn = BOOL(__cdecl*)(EditHandle edit, SystemInfo* si);
using GetFilterByIndexFn = FilterRecord*(__cdecl*)(int index);
using AddMenuItemFn = BOOL(__cdecl*)(FilterRecord* own, const char* text,
                                     HWND window, int id, int default_key,
                                     int flags);

// A record word that holds an integer. In the x86-64 layout the integer
// sits in the low half of its slot and the high half is zero.
struct IntWord {
  int value;
#ifdef _WIN64
  int high_half = 0;
#endif
  constexpr IntWord(int v = 0) : value(v) {}
  constexpr operator int() const { return value; }
};
// A record word nobody here reads or sets: one slot.
using ReservedWord = INT_PTR;

// The host's service table, reached through byte offset 96 of a
// FilterRecord.
// Only the three entries the plug-in calls are named.
struct HostServices {
  void* reserved_0[40];
  GetSystemInfoFn get_system_info;         // 160
  GetFilterByIndexFn get_filter_by_index;  // 164
  void* reserved_168[26];
  AddMenuItemFn add_menu_item;  // 272
  void* reserved_276[16];
};

// One filter as the host sees it. A plug-in's own table has the same layout;
// the host keeps a copy per plug-in and fills some of the reserved words.
struct FilterRecord {
  IntWord flags;                    // 0
  ReservedWord reserved_4;          // 4
  ReservedWord reserved_8;          // 8
  const char* name;                 // 12
  ReservedWord reserved_16[5];      // 16..32
  IntWord check_count;              // 36
  const char* const* check_labels;  // 40
  const int* check_defaults;        // 44
  ReservedWord reserved_48;         // 48
  FilterInitFn func_init;           // 52
  FilterExitFn func_exit;           // 56
  ReservedWord reserved_60;         // 60
  FilterWndProcFn func_wndproc;     // 64
  ReservedWord reserved_68;         // 68
  int* check_values;                // 72, host-filled: live checkbox states
  ReservedWord reserved_76[2];      // 76, 80
  const char* information;          // 84
  ReservedWord reserved_88[2];      // 88, 92
  HostServices* services;           // 96, host-filled
  HWND window;                      // 100, host-filled
  HINSTANCE instance;               // 104, host-filled
  ReservedWord reserved_108[8];     // 108..136
};
using FilterTable = FilterRecord;

// Filled by the host's system-information service; only the filter count is
// read.
struct SystemInfo {
  IntWord flags;                 // 0
  const char* information;       // 4
  IntWord filter_count;          // 8
  ReservedWord reserved_12[16];  // 12..72
};

constexpr UINT kHostMsgInit = 1127;     // every plug-in is loaded
constexpr UINT kHostMsgCommand = 1137;  // a menu entry was chosen; wparam = id

constexpr unsigned kFilterFlagAlwaysActive = 0x0004;
constexpr unsigned kFilterFlagExportsMenu = 0x2000;

// Offsets pinned for each build: the 32-bit host's, and the x86-64 layout's.
constexpr size_t HostOffset(size_t offset_32, size_t offset_x86_64) {
  return sizeof(void*) == 4 ? offset_32 : offset_x86_64;
}
static_assert(sizeof(FilterRecord) == HostOffset(140, 280), "FilterRecord is 35 words");
static_assert(offsetof(FilterRecord, name) == HostOffset(12, 24), "name");
static_assert(offsetof(FilterRecord, check_count) == HostOffset(36, 72), "check count");
static_assert(offsetof(FilterRecord, check_labels) == HostOffset(40, 80), "check labels");
static_assert(offsetof(FilterRecord, check_defaults) == HostOffset(44, 88), "check defaults");
static_assert(offsetof(FilterRecord, func_init) == HostOffset(52, 104), "init callback");
static_assert(offsetof(FilterRecord, func_exit) == HostOffset(56, 112), "exit callback");
static_assert(offsetof(FilterRecord, func_wndproc) == HostOffset(64, 128), "message callback");
static_assert(offsetof(FilterRecord, check_values) == HostOffset(72, 144), "live checkboxes");
static_assert(offsetof(FilterRecord, information) == HostOffset(84, 168), "information");
static_assert(offsetof(FilterRecord, services) == HostOffset(96, 192), "services");
static_assert(offsetof(FilterRecord, window) == HostOffset(100, 200), "window");
static_assert(offsetof(FilterRecord, instance) == HostOffset(104, 208), "instance");
static_assert(offsetof(HostServices, get_system_info) == HostOffset(160, 320), "system info");
static_assert(offsetof(HostServices, get_filter_by_index) == HostOffset(164, 328), "filter");
static_assert(offsetof(HostServices, add_menu_item) == HostOffset(272, 544), "add menu");
static_assert(sizeof(SystemInfo) == HostOffset(76, 152), "SystemInfo is 19 words");
static_assert(offsetof(SystemInfo, filter_count) == HostOffset(8, 16), "filter count");
