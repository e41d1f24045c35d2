#include "sandbox/host/sandbox_host.h"

#include <algorithm>
#include <cstring>

#include "sandbox/host/find_standin.h"

namespace sandbox {
namespace {

// The services are plain C functions; they reach the host through this.
Host* g_host = nullptr;

constexpr char kFilterWindowClass[] = "TrebboSandboxFilterWindow";
constexpr char kNameWhileDropped[] = "(dropped from the list)";

using GetFilterTableFn = FilterTable*(__cdecl*)();

}  // namespace

Host::Host() {
  g_host = this;
  services_.get_system_info = &Host::GetSystemInfo;
  services_.get_filter_by_index = &Host::GetFilterByIndex;
  services_.add_menu_item = &Host::AddMenuItem;
  // Registered once per process; later hosts find the class there.
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &Host::FilterWindowProc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = kFilterWindowClass;
  RegisterClassExA(&window_class);
}

Host::~Host() {
  Unload();
  if (g_host == this) g_host = nullptr;
}

void Host::Unload() {
  // The editor calls a plug-in's exit callback before it frees the DLL; here
  // while the windows still stand, in the order of the unloading below.
  for (auto it = filters_.rbegin(); it != filters_.rend(); ++it) {
    FilterRecord& record = (*it)->record;
    if ((*it)->module != nullptr && record.func_exit != nullptr) {
      const BOOL answer = record.func_exit(&record);
      if (recording_) calls_.push_back({Call::Kind::kExit, answer, &record});
    }
  }
  // Then detach every window, so tearing them down calls no plug-in code.
  for (const auto& filter : filters_) {
    if (filter->window == nullptr) continue;
    SetWindowLongPtrA(filter->window, GWLP_USERDATA, 0);
    DestroyWindow(filter->window);
    filter->window = nullptr;
  }
  // Reverse load order: a plug-in may hold on to modules loaded before it.
  for (auto it = filters_.rbegin(); it != filters_.rend(); ++it) {
    if ((*it)->module != nullptr) FreeLibrary((*it)->module);
    (*it)->module = nullptr;
  }
}

LoadedFilter* Host::LoadPlugin(const std::string& path) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    last_error_ = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  auto get_filter_table = reinterpret_cast<GetFilterTableFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "GetFilterTable")));
  const FilterTable* table = get_filter_table ? get_filter_table() : nullptr;
  if (table == nullptr) {
    FreeLibrary(module);
    last_error_ = path + " gives no filter table";
    return nullptr;
  }

  auto filter = std::make_unique<LoadedFilter>();
  filter->path = path;
  filter->module = module;
  filter->record = *table;
  filter->check_values.assign(static_cast<size_t>(std::max<int>(table->check_count, 0)), 0);
  if (table->check_defaults != nullptr) {
    std::copy_n(table->check_defaults, filter->check_values.size(),
                filter->check_values.begin());
  }
  LoadedFilter* loaded = Adopt(std::move(filter));
  if (StandinControl* standin = StandinOf(module)) standin->report = &Host::RecordStandinCall;
  if (loaded->record.func_init != nullptr) {
    loaded->init_result = loaded->record.func_init(&loaded->record);
  }
  return loaded;
}

LoadedFilter* Host::AddBareFilter(const char* name, const char* information) {
  auto filter = std::make_unique<LoadedFilter>();
  if (name != nullptr) filter->name_text = name;
  if (information != nullptr) filter->information_text = information;
  LoadedFilter* added = Adopt(std::move(filter));
  // The record points into the LoadedFilter, whose address no longer moves.
  added->record.name = name != nullptr ? added->name_text.c_str() : nullptr;
  added->record.information =
      information != nullptr ? added->information_text.c_str() : nullptr;
  return added;
}

LoadedFilter* Host::Adopt(std::unique_ptr<LoadedFilter> filter) {
  filters_.push_back(std::move(filter));
  LoadedFilter* adopted = filters_.back().get();
  FilterRecord& record = adopted->record;
  record.check_values =
      adopted->check_values.empty() ? nullptr : adopted->check_values.data();
  record.services = &services_;
  // Hidden, like a filter window the user has not opened yet; it still owns
  // the plug-in's message boxes and receives the host's messages.
  adopted->window = CreateWindowExA(
      0, kFilterWindowClass, record.name != nullptr ? record.name : "",
      WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320, 240, nullptr,
      nullptr, GetModuleHandleA(nullptr), nullptr);
  record.window = adopted->window;
  SetWindowLongPtrA(adopted->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(adopted));
  return adopted;
}

std::vector<BOOL> Host::SendInit() {
  std::vector<BOOL> results;
  // By index, not by iterator: a plug-in may ask the host to add filters.
  for (size_t i = 0; i < filters_.size(); ++i) {
    if (filters_[i]->record.func_wndproc == nullptr) continue;
    results.push_back(static_cast<BOOL>(SendMessageA(filters_[i]->window, kHostMsgInit, 0, 0)));
  }
  return results;
}

const Call* Host::FindMenuEntry(int id) const {
  const auto entry = std::find_if(menu_.begin(), menu_.end(),
                                  [id](const Call& e) { return e.number == id; });
  return entry == menu_.end() ? nullptr : &*entry;
}

BOOL Host::ChooseMenu(int id, LoadedFilter* filter) {
  const Call* entry = FindMenuEntry(id);
  if (filter == nullptr && entry == nullptr) {
    last_error_ = "no menu entry with id " + std::to_string(id);
    return FALSE;
  }
  const HWND target = filter != nullptr ? filter->window : entry->window;
  // The window procedure answers the host's messages with the callback's
  // result, so this is what the plug-in returned.
  return static_cast<BOOL>(SendMessageA(target, kHostMsgCommand,
                                        static_cast<WPARAM>(id), 0));
}

void Host::DropForOneLookup(LoadedFilter* filter, int lookups_found) {
  drop_ = {filter, filter->record.name, lookups_found};
}

void __cdecl Host::RecordStandinCall(const StandinCall* call) {
  // The stand-in may outlive the host that loaded it.
  if (g_host == nullptr || !g_host->recording_) return;
  static constexpr Call::Kind kKinds[] = {Call::Kind::kChangeScene, Call::Kind::kSave,
                                          Call::Kind::kLoad};
  g_host->calls_.push_back({kKinds[call->routine - kStandinChangeScene], call->scene,
                            call->record, call->edit, call->path != nullptr ? call->path : "",
                            nullptr, call->a, call->b});
}

BOOL __cdecl Host::GetSystemInfo(EditHandle edit, SystemInfo* si) {
  // Checked first: the benchmark's timed runs pay for no record.
  if (g_host->recording_) g_host->calls_.push_back({Call::Kind::kSystemInfo, 0, nullptr, edit});
  Drop& drop = g_host->drop_;
  if (drop.filter != nullptr) {
    const int left = drop.lookups_left--;
    if (left == 0) drop.filter->record.name = kNameWhileDropped;
    if (left == -1) {
      drop.filter->record.name = drop.name;
      drop.filter = nullptr;
    }
  }
  // Only the count is set: a plug-in that reads any other word meets
  // garbage.
  std::memset(static_cast<void*>(si), 0xA5, sizeof(*si));
  si->filter_count = static_cast<int>(g_host->filters_.size());
  return TRUE;
}

FilterRecord* __cdecl Host::GetFilterByIndex(int index) {
  if (g_host->recording_) g_host->calls_.push_back({Call::Kind::kFilterByIndex, index});
  if (index < 0 || static_cast<size_t>(index) >= g_host->filters_.size()) {
    return nullptr;
  }
  return &g_host->filters_[static_cast<size_t>(index)]->record;
}

BOOL __cdecl Host::AddMenuItem(FilterRecord* own, const char* text, HWND window,
                               int id, int default_key, int flags) {
  const Call entry{Call::Kind::kAddMenuItem, id, own, nullptr, text, window, default_key, flags};
  if (g_host->recording_) g_host->calls_.push_back(entry);
  g_host->menu_.push_back(entry);
  return TRUE;
}

LRESULT CALLBACK Host::FilterWindowProc(HWND window, UINT message, WPARAM wparam,
                                        LPARAM lparam) {
  auto* filter =
      reinterpret_cast<LoadedFilter*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  BOOL result = FALSE;
  if (filter != nullptr && filter->record.func_wndproc != nullptr) {
    result = filter->record.func_wndproc(window, message, wparam, lparam,
                                         g_host->edit_handle(), &filter->record);
  }
  // The host's own messages answer with the plug-in's result; the system's
  // messages still need the default handling, or the window would not even
  // be created.
  if (message >= WM_USER) return result;
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace sandbox
