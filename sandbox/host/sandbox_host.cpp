#include "sandbox/host/sandbox_host.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "sandbox/host/paths.h"

namespace sandbox {
namespace {

// The services are plain C functions; they reach the host through this.
Host* g_host = nullptr;

constexpr char kFilterWindowClass[] = "TrebboSandboxFilterWindow";

using GetFilterTableFn = FilterTable*(__cdecl*)();

// The system's text for an error code; a "%1" in it stands for `subject`.
std::string SystemMessage(DWORD error, const std::string& subject = "the file") {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 ? std::string(text, length)
                                   : "error " + std::to_string(error);
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  const size_t insert = message.find("%1");
  if (insert != std::string::npos) message.replace(insert, 2, subject);
  return message;
}

// From here on the filter's window passes its messages to the plug-in. Not
// earlier: the plug-in hears window messages only after its init callback.
void StartForwarding(LoadedFilter* filter) {
  if (filter->window == nullptr) return;
  SetWindowLongPtrA(filter->window, GWLP_USERDATA,
                    reinterpret_cast<LONG_PTR>(filter));
}

bool RegisterFilterWindowClass(WNDPROC procedure) {
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = kFilterWindowClass;
  return RegisterClassExA(&window_class) != 0 ||
         GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

Host::Host(Dialogs dialogs) {
  if (dialogs == Dialogs::kAnswered) answerer_.emplace();
  g_host = this;
  services_.get_system_info = &Host::GetSystemInfo;
  services_.get_filter_by_index = &Host::GetFilterByIndex;
  services_.add_menu_item = &Host::AddMenuItem;
  if (!RegisterFilterWindowClass(&Host::FilterWindowProc)) {
    last_error_ = "cannot register the filter window class: " +
                  SystemMessage(GetLastError());
  }
}

Host::~Host() {
  // The editor calls a plug-in's exit callback before it frees the DLL; here
  // while the windows still stand, in the order of the unloading below.
  for (auto it = filters_.rbegin(); it != filters_.rend(); ++it) {
    FilterRecord& record = (*it)->record;
    if ((*it)->module != nullptr && record.func_exit != nullptr) {
      record.func_exit(&record);
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
  }
  if (g_host == this) g_host = nullptr;
}

LoadedFilter* Host::LoadPlugin(const std::string& path) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    const DWORD error = GetLastError();
    last_error_ = "cannot load " + path + ": " + SystemMessage(error, FileNameOf(path));
    return nullptr;
  }
  auto get_filter_table = reinterpret_cast<GetFilterTableFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "GetFilterTable")));
  if (get_filter_table == nullptr) {
    FreeLibrary(module);
    last_error_ = path + " does not export GetFilterTable";
    return nullptr;
  }
  const FilterTable* table = get_filter_table();
  if (table == nullptr) {
    FreeLibrary(module);
    last_error_ = "GetFilterTable of " + path + " returned no table";
    return nullptr;
  }

  auto filter = std::make_unique<LoadedFilter>();
  filter->path = path;
  filter->module = module;
  filter->record = *table;
  const int check_count = std::max(table->check_count, 0);
  filter->check_values.assign(static_cast<size_t>(check_count), 0);
  if (table->check_defaults != nullptr) {
    std::copy(table->check_defaults, table->check_defaults + check_count,
              filter->check_values.begin());
  }
  filter->record.instance = module;
  LoadedFilter* loaded = Adopt(std::move(filter));

  if (loaded->record.func_init != nullptr) {
    loaded->init_called = true;
    loaded->init_result = loaded->record.func_init(&loaded->record);
  }
  StartForwarding(loaded);
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
  StartForwarding(added);
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
  return adopted;
}

void Host::SendInit() {
  // By index, not by iterator: a plug-in may ask the host to add filters.
  for (size_t i = 0; i < filters_.size(); ++i) {
    const LoadedFilter& filter = *filters_[i];
    if (filter.window == nullptr || filter.record.func_wndproc == nullptr) {
      continue;
    }
    SendMessageA(filter.window, kHostMsgInit, 0, 0);
  }
}

const MenuEntry* Host::FindMenuEntry(int id) const {
  const auto entry = std::find_if(menu_.begin(), menu_.end(),
                                  [id](const MenuEntry& e) { return e.id == id; });
  return entry == menu_.end() ? nullptr : &*entry;
}

BOOL Host::ChooseMenu(int id, LoadedFilter* filter) {
  HWND target = nullptr;
  if (filter != nullptr) {
    target = filter->window;
  } else {
    const MenuEntry* entry = FindMenuEntry(id);
    if (entry == nullptr) {
      last_error_ = "no menu entry with id " + std::to_string(id);
      return FALSE;
    }
    target = entry->window;
  }
  if (target == nullptr || !IsWindow(target)) {
    last_error_ = "menu entry " + std::to_string(id) + " has no window to send to";
    return FALSE;
  }
  // The window procedure answers the host's messages with the callback's
  // result, so this is what the plug-in returned.
  return static_cast<BOOL>(SendMessageA(target, kHostMsgCommand,
                                        static_cast<WPARAM>(id), 0));
}

void Host::SetCheck(LoadedFilter* filter, int index, int value) {
  if (filter == nullptr || index < 0 ||
      static_cast<size_t>(index) >= filter->check_values.size()) {
    return;
  }
  filter->check_values[static_cast<size_t>(index)] = value;
}

LoadedFilter* Host::Find(const std::string& file_name) {
  for (const auto& filter : filters_) {
    if (!filter->path.empty() &&
        lstrcmpiA(FileNameOf(filter->path).c_str(), file_name.c_str()) == 0) {
      return filter.get();
    }
  }
  return nullptr;
}

BOOL __cdecl Host::GetSystemInfo(EditHandle /*edit*/, SystemInfo* si) {
  if (g_host == nullptr) return FALSE;
  ++g_host->counts_.system_info;
  if (si == nullptr) return FALSE;
  std::memset(si, 0, sizeof(*si));
  si->filter_count = static_cast<int>(g_host->filters_.size());
  return TRUE;
}

FilterRecord* __cdecl Host::GetFilterByIndex(int index) {
  if (g_host == nullptr) return nullptr;
  ++g_host->counts_.filter_by_index;
  if (index < 0 || static_cast<size_t>(index) >= g_host->filters_.size()) {
    return nullptr;
  }
  return &g_host->filters_[static_cast<size_t>(index)]->record;
}

BOOL __cdecl Host::AddMenuItem(FilterRecord* own, const char* text, HWND window,
                               int id, int default_key, int flags) {
  if (g_host == nullptr) return FALSE;
  try {
    g_host->menu_.push_back(MenuEntry{own, text != nullptr ? text : "", window,
                                      id, default_key, flags});
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  return TRUE;
}

LRESULT CALLBACK Host::FilterWindowProc(HWND window, UINT message, WPARAM wparam,
                                        LPARAM lparam) {
  auto* filter =
      reinterpret_cast<LoadedFilter*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  BOOL result = FALSE;
  if (filter != nullptr && g_host != nullptr &&
      filter->record.func_wndproc != nullptr) {
    result = filter->record.func_wndproc(window, message, wparam, lparam,
                                         g_host->edit_handle(), &filter->record);
    try {
      g_host->calls_.push_back(CallbackCall{&filter->record, message, result});
    } catch (const std::bad_alloc&) {
      // The call happened; only its trace is lost.
    }
  }
  if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  // The host's own messages answer with the plug-in's result; the system's
  // messages still need the default handling, or the window would not even
  // be created.
  if (message >= WM_USER) return result;
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace sandbox
