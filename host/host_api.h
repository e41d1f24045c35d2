// The host editor's side of the plug-in interface: the records it exchanges
// with filter plug-ins, its service table and the messages it sends.
// Everything here is 32-bit little-endian; the static_asserts pin the layout
// the host relies on, so a field slipping by one word fails the build.
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
  int flags;                   // 0
  int reserved_4;              // 4
  int reserved_8;              // 8
  const char* name;            // 12
  int reserved_16[5];          // 16..32
  int check_count;             // 36
  const char* const* check_labels;  // 40
  const int* check_defaults;   // 44
  int reserved_48;             // 48
  FilterInitFn func_init;      // 52
  FilterExitFn func_exit;      // 56
  int reserved_60;             // 60
  FilterWndProcFn func_wndproc;  // 64
  int reserved_68;             // 68
  int* check_values;           // 72, host-filled: live checkbox states
  int reserved_76[2];          // 76, 80
  const char* information;     // 84
  int reserved_88[2];          // 88, 92
  HostServices* services;      // 96, host-filled
  HWND window;                 // 100, host-filled
  HINSTANCE instance;          // 104, host-filled
  int reserved_108[8];         // 108..136
};
using FilterTable = FilterRecord;

// Filled by the host's system-information service; only the filter count is
// read.
struct SystemInfo {
  int flags;                 // 0
  const char* information;   // 4
  int filter_count;          // 8
  int reserved_12[16];       // 12..72
};

constexpr UINT kHostMsgInit = 1127;     // every plug-in is loaded
constexpr UINT kHostMsgCommand = 1137;  // a menu entry was chosen; wparam = id

constexpr unsigned kFilterFlagAlwaysActive = 0x0004;
constexpr unsigned kFilterFlagExportsMenu = 0x2000;

static_assert(sizeof(void*) == 4, "the host is a 32-bit program");
static_assert(sizeof(FilterRecord) == 140, "FilterRecord is 35 words");
static_assert(offsetof(FilterRecord, name) == 12, "name");
static_assert(offsetof(FilterRecord, check_count) == 36, "check count");
static_assert(offsetof(FilterRecord, check_labels) == 40, "check labels");
static_assert(offsetof(FilterRecord, check_defaults) == 44, "check defaults");
static_assert(offsetof(FilterRecord, func_init) == 52, "init callback");
static_assert(offsetof(FilterRecord, func_exit) == 56, "exit callback");
static_assert(offsetof(FilterRecord, func_wndproc) == 64, "message callback");
static_assert(offsetof(FilterRecord, check_values) == 72, "live checkboxes");
static_assert(offsetof(FilterRecord, information) == 84, "information");
static_assert(offsetof(FilterRecord, services) == 96, "services");
static_assert(offsetof(FilterRecord, window) == 100, "window");
static_assert(offsetof(FilterRecord, instance) == 104, "instance");
static_assert(offsetof(HostServices, get_system_info) == 160, "system info");
static_assert(offsetof(HostServices, get_filter_by_index) == 164, "filter");
static_assert(offsetof(HostServices, add_menu_item) == 272, "add menu");
static_assert(sizeof(SystemInfo) == 76, "SystemInfo is 76 bytes");
static_assert(offsetof(SystemInfo, filter_count) == 8, "filter count");
