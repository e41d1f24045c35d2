// A stand-in for the host video editor, enough to load filter plug-ins the
// way the editor does and to drive them: LoadLibrary, GetFilterTable, a record
// of its own per plug-in (live checkbox values, services, window)
// and a real window, the init callback, then kHostMsgInit to every plug-in
// once all are loaded. It offers the system-information, filter-by-index and
// add-menu-entry services, and on a menu choice sends kHostMsgCommand with an
// edit handle of its own. Closing calls every exit callback before the DLLs
// are freed. The windows a command opens are a DialogAnswerer's to answer.
// It records every call of its services and, as the stand-in extended
// editing reports them, every call of extended editing's routines, in the
// order they were made.
//
// One Host at a time per process (the services are plain functions).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "sandbox/exedit/standin_control.h"

namespace sandbox {

// One call into the host's services or into extended editing's routines,
// with every argument it was given, or one call of a plug-in's exit callback
// by the host, with its answer. Fields a call does not take stay empty.
struct Call {
  enum class Kind { kSystemInfo, kFilterByIndex, kAddMenuItem, kChangeScene, kSave, kLoad, kExit };
  Kind kind{};
  // Filter by index: the index; add menu entry: the id; scene switch: the
  // scene asked for; save, load: the scene current when it ran; exit
  // callback: what it answered.
  int number = 0;
  // Add menu entry, load: the caller's record; scene switch: extended
  // editing's; exit callback: the plug-in's own.
  const FilterRecord* record = nullptr;
  EditHandle edit = nullptr;  // system information, scene switch, load
  std::string text{};         // add menu entry: its text; save, load: the path
  HWND window = nullptr;      // add menu entry
  int a = 0, b = 0;           // add menu entry: key and flags; load: its two integers
  bool operator==(const Call& other) const {
    return kind == other.kind && number == other.number && record == other.record &&
           edit == other.edit && text == other.text && window == other.window &&
           a == other.a && b == other.b;
  }
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
  // Unloads, if that was not done.
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Loads one plug-in DLL, fills the host's record (the stand-in extended
  // editing is asked to report its routine calls here) and calls its init
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
  // As if the host dropped `filter` from its list for one lookup and then
  // listed it again: the lookup after the next `lookups_found` ones (each
  // starts with a system-information call) meets its record under another
  // name, the lookup after that under its own.
  void DropForOneLookup(LoadedFilter* filter, int lookups_found);
  // Calls every plug-in's exit callback, recording each with its answer,
  // then destroys the windows and frees the DLLs; sends no message. The
  // filters stay listed, without their DLLs.
  void Unload();

  // The menu entries are the add-menu-entry calls that made them.
  const Call* FindMenuEntry(int id) const;  // null when none
  const std::vector<std::unique_ptr<LoadedFilter>>& filters() const { return filters_; }
  const std::vector<Call>& menu() const { return menu_; }
  // Every call recorded, in order; cleared by whoever wants a fresh record.
  std::vector<Call>& calls() { return calls_; }
  // The benchmark's timed runs record nothing.
  void set_recording(bool on) { recording_ = on; }
  EditHandle edit_handle() { return &edit_session_; }
  const std::string& last_error() const { return last_error_; }

 private:
  static BOOL __cdecl GetSystemInfo(EditHandle edit, SystemInfo* si);
  static FilterRecord* __cdecl GetFilterByIndex(int index);
  static BOOL __cdecl AddMenuItem(FilterRecord* own, const char* text,
                                  HWND window, int id, int default_key,
                                  int flags);
  static void __cdecl RecordStandinCall(const StandinCall* call);
  static LRESULT CALLBACK FilterWindowProc(HWND, UINT, WPARAM, LPARAM);
  LoadedFilter* Adopt(std::unique_ptr<LoadedFilter> filter);

  struct Drop {
    LoadedFilter* filter = nullptr;
    const char* name = nullptr;  // its own, given back
    int lookups_left = 0;        // before the one that misses it
  } drop_;

  struct EditSession {
    int unused;
  } edit_session_{};
  HostServices services_{};
  std::vector<std::unique_ptr<LoadedFilter>> filters_;
  std::vector<Call> menu_;
  std::vector<Call> calls_;
  bool recording_ = true;
  std::string last_error_;
};

}  // namespace sandbox
