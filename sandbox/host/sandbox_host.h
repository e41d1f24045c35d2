// A stand-in for the host video editor, enough to load filter plug-ins the
// way the editor does and to drive them: LoadLibrary, GetFilterTable, a record
// of its own per plug-in (live checkbox values, services, window)
// and a real window, the init callback, then kHostMsgInit to every plug-in
// once all are loaded. It offers the system-information, filter-by-index and
// add-menu-entry services, and on a menu choice sends kHostMsgCommand with an
// edit handle of its own. Closing calls every exit callback before the DLLs
// are freed. The windows a command opens are a DialogAnswerer's to answer.
//
// One Host at a time per process (the services are plain functions).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/host_api.h"

namespace sandbox {

struct MenuEntry {
  FilterRecord* owner;  // the record the plug-in passed
  std::string text;     // ANSI bytes as given
  HWND window;
  int id;
  int default_key;
  int flags;
};

// Calls of the services a scene switch makes, which the benchmark compares.
struct ServiceCounts {
  long system_info = 0;
  long filter_by_index = 0;
};

struct LoadedFilter {
  std::string path;        // empty for a filter added without a DLL
  HMODULE module = nullptr;
  FilterRecord record{};   // the host's own record of the filter
  HWND window = nullptr;
  std::vector<int> check_values;  // live checkbox values, by index
  BOOL init_result = FALSE;
  std::string name_text, information_text;  // storage for added filters
};

class Host {
 public:
  Host();
  // Calls every plug-in's exit callback, then destroys the windows and frees
  // the DLLs; sends no message.
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Loads one plug-in DLL, fills the host's record and calls its init
  // callback. Returns the filter, or null when the DLL or its export is
  // missing (the reason is in last_error()).
  LoadedFilter* LoadPlugin(const std::string& path);
  // A filter without a DLL (name or information may be null), appended at
  // the next index; for lookups that must meet unusual records.
  LoadedFilter* AddBareFilter(const char* name, const char* information);
  // Sends kHostMsgInit to every loaded plug-in, in load order. Returns what
  // each plug-in's callback answered.
  std::vector<BOOL> SendInit();
  // Sends kHostMsgCommand with this id to the plug-in that registered it, or
  // to `filter` directly when given. Returns the callback's result.
  BOOL ChooseMenu(int id, LoadedFilter* filter = nullptr);

  const MenuEntry* FindMenuEntry(int id) const;  // null when none
  const std::vector<std::unique_ptr<LoadedFilter>>& filters() const { return filters_; }
  const std::vector<MenuEntry>& menu() const { return menu_; }
  ServiceCounts& service_counts() { return counts_; }
  EditHandle edit_handle() { return &edit_session_; }
  const std::string& last_error() const { return last_error_; }

 private:
  static BOOL __cdecl GetSystemInfo(EditHandle edit, SystemInfo* si);
  static FilterRecord* __cdecl GetFilterByIndex(int index);
  static BOOL __cdecl AddMenuItem(FilterRecord* own, const char* text,
                                  HWND window, int id, int default_key,
                                  int flags);
  static LRESULT CALLBACK FilterWindowProc(HWND, UINT, WPARAM, LPARAM);
  LoadedFilter* Adopt(std::unique_ptr<LoadedFilter> filter);

  struct EditSession {
    int unused;
  } edit_session_{};
  HostServices services_{};
  std::vector<std::unique_ptr<LoadedFilter>> filters_;
  std::vector<MenuEntry> menu_;
  ServiceCounts counts_;
  std::string last_error_;
};

}  // namespace sandbox
