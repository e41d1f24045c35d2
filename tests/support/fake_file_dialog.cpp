#include "tests/support/fake_file_dialog.h"

#include <cstdint>
#include <cstdio>
#include <mutex>

namespace testing_support {

struct FakeDialogState {
  explicit FakeDialogState(const FakeDialogScript& s) : script(s) {}

  void Log(std::string event) {
    const std::lock_guard<std::mutex> lock(mutex);
    events.push_back(std::move(event));
  }

  const FakeDialogScript script;
  mutable std::mutex mutex;  // the malloc spy logs from any thread
  std::vector<std::string> events;
  int live_objects = 0;
  void* path_buffer = nullptr;  // what GetDisplayName handed out
};

namespace {

std::string Hex32(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", value);
  return text;
}

std::string HResultName(HRESULT hr) {
  switch (hr) {
    case S_OK: return "S_OK";
    case S_FALSE: return "S_FALSE";
    case E_FAIL: return "E_FAIL";
    case E_NOINTERFACE: return "E_NOINTERFACE";
    case E_OUTOFMEMORY: return "E_OUTOFMEMORY";
    case RPC_E_CHANGED_MODE: return "RPC_E_CHANGED_MODE";
    case REGDB_E_CLASSNOTREG: return "REGDB_E_CLASSNOTREG";
    case HRESULT_FROM_WIN32(ERROR_CANCELLED): return "ERROR_CANCELLED";
    default: return Hex32(static_cast<unsigned long>(hr));
  }
}

std::string InterfaceName(REFIID iid) {
  if (iid == IID_IUnknown) return "IUnknown";
  if (iid == IID_IModalWindow) return "IModalWindow";
  if (iid == IID_IFileDialog) return "IFileDialog";
  if (iid == IID_IFileOpenDialog) return "IFileOpenDialog";
  if (iid == IID_IShellItem) return "IShellItem";
  if (iid == IID_IClassFactory) return "IClassFactory";
  wchar_t text[40] = {};
  StringFromGUID2(iid, text, 40);
  return std::string(text, text + lstrlenW(text));
}

std::string CoInitName(DWORD coinit) {
  if (coinit == COINIT_APARTMENTTHREADED) return "APARTMENTTHREADED";
  if (coinit == COINIT_MULTITHREADED) return "MULTITHREADED";
  return Hex32(coinit);
}

// ASCII as is, anything else as \uXXXX, so a log line shows exactly which
// code units were passed.
std::string Quoted(LPCWSTR text) {
  if (text == nullptr) return "null";
  std::string quoted = "\"";
  for (; *text != L'\0'; ++text) {
    if (*text >= 0x20 && *text < 0x7F) {
      quoted.push_back(static_cast<char>(*text));
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(*text));
      quoted += escape;
    }
  }
  return quoted + "\"";
}

// Reference counting that logs every change, so a test sees who holds what.
template <typename Interface>
class LoggedObject : public Interface {
 public:
  LoggedObject(std::shared_ptr<FakeDialogState> state, const char* name)
      : state_(std::move(state)), name_(name) {
    ++state_->live_objects;
  }
  virtual ~LoggedObject() { --state_->live_objects; }

  ULONG STDMETHODCALLTYPE AddRef() override {
    ++references_;
    state_->Log(name_ + ".AddRef -> " + std::to_string(references_));
    return references_;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    state_->Log(name_ + ".Release -> " + std::to_string(left));
    if (left == 0) delete this;
    return left;
  }

 protected:
  HRESULT Answer(REFIID iid, bool known, void** out) {
    state_->Log(name_ + ".QueryInterface(" + InterfaceName(iid) + ")");
    if (!known) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = this;
    AddRef();
    return S_OK;
  }
  void Log(const std::string& event) { state_->Log(name_ + "." + event); }
  // An unexpected call: logged, so a whole-sequence comparison shows it.
  HRESULT Unexpected(const char* method) {
    Log(method);
    return E_NOTIMPL;
  }
  const FakeDialogScript& script() const { return state_->script; }
  const std::shared_ptr<FakeDialogState>& state() const { return state_; }

 private:
  std::shared_ptr<FakeDialogState> state_;
  const std::string name_;
  ULONG references_ = 1;
};

class FakeShellItem final : public LoggedObject<IShellItem> {
 public:
  explicit FakeShellItem(std::shared_ptr<FakeDialogState> state)
      : LoggedObject(std::move(state), "item") {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return Answer(iid, iid == IID_IUnknown || iid == IID_IShellItem, out);
  }
  HRESULT STDMETHODCALLTYPE GetDisplayName(SIGDN form, LPWSTR* name) override {
    Log("GetDisplayName(" +
        (form == SIGDN_FILESYSPATH ? std::string("SIGDN_FILESYSPATH")
                                   : Hex32(static_cast<unsigned long>(form))) +
        ")");
    *name = nullptr;
    if (FAILED(script().get_display_name)) return script().get_display_name;
    const std::wstring& path = script().path;
    const size_t bytes = (path.size() + 1) * sizeof(wchar_t);
    *name = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (*name == nullptr) return E_OUTOFMEMORY;
    CopyMemory(*name, path.c_str(), bytes);
    const std::lock_guard<std::mutex> lock(state()->mutex);
    state()->path_buffer = *name;
    return script().get_display_name;
  }
  HRESULT STDMETHODCALLTYPE BindToHandler(IBindCtx*, REFGUID, REFIID,
                                          void** out) override {
    *out = nullptr;
    return Unexpected("BindToHandler");
  }
  HRESULT STDMETHODCALLTYPE GetParent(IShellItem** parent) override {
    *parent = nullptr;
    return Unexpected("GetParent");
  }
  HRESULT STDMETHODCALLTYPE GetAttributes(SFGAOF, SFGAOF*) override {
    return Unexpected("GetAttributes");
  }
  HRESULT STDMETHODCALLTYPE Compare(IShellItem*, SICHINTF, int*) override {
    return Unexpected("Compare");
  }
};

class FakeFileDialog final : public LoggedObject<IFileDialog> {
 public:
  explicit FakeFileDialog(std::shared_ptr<FakeDialogState> state)
      : LoggedObject(std::move(state), "dialog") {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return Answer(iid,
                  iid == IID_IUnknown || iid == IID_IModalWindow ||
                      iid == IID_IFileDialog,
                  out);
  }
  HRESULT STDMETHODCALLTYPE GetOptions(FILEOPENDIALOGOPTIONS* options) override {
    Log("GetOptions");
    *options = script().options;
    return script().get_options;
  }
  HRESULT STDMETHODCALLTYPE SetOptions(FILEOPENDIALOGOPTIONS options) override {
    Log("SetOptions(" + Hex32(options) + ")");
    return script().set_options;
  }
  HRESULT STDMETHODCALLTYPE SetTitle(LPCWSTR title) override {
    Log("SetTitle(" + Quoted(title) + ")");
    return script().set_title;
  }
  HRESULT STDMETHODCALLTYPE Show(HWND owner) override {
    Log("Show(owner " + Hex32(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(owner))) + ")");
    return script().show;
  }
  HRESULT STDMETHODCALLTYPE GetResult(IShellItem** item) override {
    Log("GetResult");
    *item = nullptr;
    if (FAILED(script().get_result)) return script().get_result;
    *item = new FakeShellItem(state());
    return script().get_result;
  }

  HRESULT STDMETHODCALLTYPE SetFileTypes(UINT, const COMDLG_FILTERSPEC*) override {
    return Unexpected("SetFileTypes");
  }
  HRESULT STDMETHODCALLTYPE SetFileTypeIndex(UINT) override {
    return Unexpected("SetFileTypeIndex");
  }
  HRESULT STDMETHODCALLTYPE GetFileTypeIndex(UINT*) override {
    return Unexpected("GetFileTypeIndex");
  }
  HRESULT STDMETHODCALLTYPE Advise(IFileDialogEvents*, DWORD*) override {
    return Unexpected("Advise");
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return Unexpected("Unadvise"); }
  HRESULT STDMETHODCALLTYPE SetDefaultFolder(IShellItem*) override {
    return Unexpected("SetDefaultFolder");
  }
  HRESULT STDMETHODCALLTYPE SetFolder(IShellItem*) override {
    return Unexpected("SetFolder");
  }
  HRESULT STDMETHODCALLTYPE GetFolder(IShellItem** folder) override {
    *folder = nullptr;
    return Unexpected("GetFolder");
  }
  HRESULT STDMETHODCALLTYPE GetCurrentSelection(IShellItem** item) override {
    *item = nullptr;
    return Unexpected("GetCurrentSelection");
  }
  HRESULT STDMETHODCALLTYPE SetFileName(LPCWSTR) override {
    return Unexpected("SetFileName");
  }
  HRESULT STDMETHODCALLTYPE GetFileName(LPWSTR* name) override {
    *name = nullptr;
    return Unexpected("GetFileName");
  }
  HRESULT STDMETHODCALLTYPE SetOkButtonLabel(LPCWSTR) override {
    return Unexpected("SetOkButtonLabel");
  }
  HRESULT STDMETHODCALLTYPE SetFileNameLabel(LPCWSTR) override {
    return Unexpected("SetFileNameLabel");
  }
  HRESULT STDMETHODCALLTYPE AddPlace(IShellItem*, FDAP) override {
    return Unexpected("AddPlace");
  }
  HRESULT STDMETHODCALLTYPE SetDefaultExtension(LPCWSTR) override {
    return Unexpected("SetDefaultExtension");
  }
  HRESULT STDMETHODCALLTYPE Close(HRESULT) override { return Unexpected("Close"); }
  HRESULT STDMETHODCALLTYPE SetClientGuid(REFGUID) override {
    return Unexpected("SetClientGuid");
  }
  HRESULT STDMETHODCALLTYPE ClearClientData() override {
    return Unexpected("ClearClientData");
  }
  HRESULT STDMETHODCALLTYPE SetFilter(IShellItemFilter*) override {
    return Unexpected("SetFilter");
  }
};

// IUnknown for a helper object that offers one interface besides it. Its
// reference counting is not part of what the tests look at, so it is not
// logged.
template <typename Interface>
class SingleInterfaceObject : public Interface {
 public:
  explicit SingleInterfaceObject(const IID& iid) : iid_(iid) {}
  virtual ~SingleInterfaceObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == iid_) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  const IID& iid_;
  ULONG references_ = 1;
};

// COM holds the factory while it is registered.
class FakeClassFactory final : public SingleInterfaceObject<IClassFactory> {
 public:
  explicit FakeClassFactory(std::shared_ptr<FakeDialogState> state)
      : SingleInterfaceObject(IID_IClassFactory), state_(std::move(state)) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                           void** out) override {
    *out = nullptr;
    HRESULT hr = state_->script.create;
    if (SUCCEEDED(hr) && outer != nullptr) hr = CLASS_E_NOAGGREGATION;
    if (SUCCEEDED(hr) && iid != IID_IFileDialog && iid != IID_IUnknown &&
        iid != IID_IModalWindow) {
      hr = E_NOINTERFACE;
    }
    state_->Log("factory.CreateInstance(" + InterfaceName(iid) + ") -> " +
                HResultName(hr));
    if (FAILED(hr)) return hr;
    // One reference, handed over; every interface starts at the object.
    *out = static_cast<IFileDialog*>(new FakeFileDialog(state_));
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  std::shared_ptr<FakeDialogState> state_;
};

class InitializeSpy final : public SingleInterfaceObject<IInitializeSpy> {
 public:
  explicit InitializeSpy(std::shared_ptr<FakeDialogState> state)
      : SingleInterfaceObject(IID_IInitializeSpy), state_(std::move(state)) {}

  HRESULT STDMETHODCALLTYPE PreInitialize(DWORD, DWORD) override { return S_OK; }
  // What this returns becomes CoInitializeEx's result.
  HRESULT STDMETHODCALLTYPE PostInitialize(HRESULT hr, DWORD coinit,
                                           DWORD) override {
    state_->Log("CoInitializeEx(" + CoInitName(coinit) + ") -> " + HResultName(hr));
    return hr;
  }
  HRESULT STDMETHODCALLTYPE PreUninitialize(DWORD) override {
    state_->Log("CoUninitialize");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PostUninitialize(DWORD) override { return S_OK; }

 private:
  std::shared_ptr<FakeDialogState> state_;
};

// Watches the process's task allocator for the path buffer being freed.
// There is one per process, registered on first use and never revoked: COM
// defers a revocation while blocks allocated under the spy are outstanding,
// and a second registration would then fail.
class PathFreeSpy : public IMallocSpy {
 public:
  void Watch(std::shared_ptr<FakeDialogState> state) {
    const std::lock_guard<std::mutex> lock(mutex_);
    watched_ = std::move(state);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (watched_ != nullptr && request != nullptr) {
      bool is_path;
      {
        const std::lock_guard<std::mutex> state_lock(watched_->mutex);
        is_path = request == watched_->path_buffer;
      }
      if (is_path) watched_->Log("CoTaskMemFree(path)");
    }
    return request;
  }
  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T bytes) override { return bytes; }
  void* STDMETHODCALLTYPE PostAlloc(void* actual) override { return actual; }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T bytes,
                                      void** new_request, BOOL) override {
    *new_request = request;
    return bytes;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T bytes, BOOL) override { return bytes; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}

 private:
  std::mutex mutex_;
  std::shared_ptr<FakeDialogState> watched_;
};

PathFreeSpy& TheFreeSpy() {
  static PathFreeSpy spy;
  return spy;
}

bool FreeSpyRegistered() {
  static const bool registered = SUCCEEDED(CoRegisterMallocSpy(&TheFreeSpy()));
  return registered;
}

}  // namespace

FakeFileDialogClass::FakeFileDialogClass(const FakeDialogScript& script)
    : state_(std::make_shared<FakeDialogState>(script)) {
  factory_ = new FakeClassFactory(state_);
  HRESULT hr = CoRegisterClassObject(CLSID_FileOpenDialog, factory_,
                                     CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &class_cookie_);
  class_registered_ = SUCCEEDED(hr);
  if (!class_registered_) setup_error_ += "CoRegisterClassObject " + HResultName(hr) + "; ";

  InitializeSpy* initialize_spy = new InitializeSpy(state_);
  hr = CoRegisterInitializeSpy(initialize_spy, &initialize_spy_cookie_);
  initialize_spy_registered_ = SUCCEEDED(hr);
  if (!initialize_spy_registered_) {
    setup_error_ += "CoRegisterInitializeSpy " + HResultName(hr) + "; ";
  }
  initialize_spy->Release();  // COM keeps its own reference while registered

  if (FreeSpyRegistered()) {
    TheFreeSpy().Watch(state_);
  } else {
    setup_error_ += "CoRegisterMallocSpy failed; ";
  }
}

FakeFileDialogClass::~FakeFileDialogClass() {
  TheFreeSpy().Watch(nullptr);
  if (initialize_spy_registered_) CoRevokeInitializeSpy(initialize_spy_cookie_);
  if (class_registered_) CoRevokeClassObject(class_cookie_);
  factory_->Release();
}

std::vector<std::string> FakeFileDialogClass::events() const {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->events;
}

int FakeFileDialogClass::live_objects() const { return state_->live_objects; }

}  // namespace testing_support
