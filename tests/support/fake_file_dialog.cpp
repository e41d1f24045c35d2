#include "tests/support/fake_file_dialog.h"

#include <shlwapi.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>

namespace testing_support {
namespace {

struct FakeDialogState {
  explicit FakeDialogState(const FakeDialogScript& s) : script(s) {}

  void Log(std::string event) {
    const std::lock_guard<std::mutex> lock(mutex);
    log.events.push_back(std::move(event));
  }

  const FakeDialogScript script;
  std::mutex mutex;  // guards log: the malloc spy logs from any thread
  FakeDialogLog log;
  std::atomic<void*> path_buffer{nullptr};  // what GetDisplayName handed out
};

std::string Hex32(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", value);
  return text;
}

std::string HResultName(HRESULT hr) {
  switch (hr) {
    case S_OK: return "S_OK";
    case S_FALSE: return "S_FALSE";
    case REGDB_E_CLASSNOTREG: return "REGDB_E_CLASSNOTREG";
    default: return Hex32(static_cast<unsigned long>(hr));
  }
}

// ASCII as is, anything else as \uXXXX, so a log line shows exactly which
// code units were passed.
std::string Quoted(LPCWSTR text) {
  if (text == nullptr) return "null";
  std::string quoted = "\"";
  for (char unit[8]; *text != L'\0'; quoted += unit, ++text) {
    const bool ascii = *text >= 0x20 && *text < 0x7F;
    std::snprintf(unit, sizeof unit, ascii ? "%c" : "\\u%04X", static_cast<unsigned>(*text));
  }
  return quoted + "\"";
}

// IUnknown of every fake, answering for Interface and the interfaces it
// derives from. One given a name counts as live until its last release and
// logs each release with the count it leaves, so a test sees who gives back
// what; the others are COM's business and not logged.
template <typename Interface, typename... Bases>
class FakeObject : public Interface {
 public:
  explicit FakeObject(std::shared_ptr<FakeDialogState> state = nullptr,
                      const char* name = nullptr)
      : state_(std::move(state)), name_(name) {
    if (name_ != nullptr) ++state_->log.live_objects;
  }
  virtual ~FakeObject() {
    if (name_ != nullptr) --state_->log.live_objects;
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    const bool known = iid == IID_IUnknown || iid == __uuidof(Interface) ||
                       ((iid == __uuidof(Bases)) || ...);
    *out = known ? static_cast<Interface*>(this) : nullptr;
    if (known) AddRef();
    return known ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (name_ != nullptr) Log("Release -> " + std::to_string(left));
    if (left == 0) delete this;
    return left;
  }

 protected:
  void Log(const std::string& event) { state_->Log(name_ + ("." + event)); }
  // An unexpected call: logged, so a whole-sequence comparison shows it.
  // What it would hand out is null.
  template <typename... Out>
  HRESULT Unexpected(const char* method, Out*... out) {
    ((*out = nullptr), ...);
    Log(method);
    return E_NOTIMPL;
  }
  const FakeDialogScript& script() const { return state_->script; }
  const std::shared_ptr<FakeDialogState>& state() const { return state_; }

 private:
  const std::shared_ptr<FakeDialogState> state_;
  const char* const name_;
  ULONG references_ = 1;
};

class FakeShellItem final : public FakeObject<IShellItem> {
 public:
  using FakeObject::FakeObject;

  STDMETHODIMP GetDisplayName(SIGDN form, LPWSTR* name) override {
    const bool file_path = form == SIGDN_FILESYSPATH;
    Log("GetDisplayName(" + (file_path ? "SIGDN_FILESYSPATH" : Hex32(form)) + ")");
    *name = nullptr;
    if (FAILED(script().get_display_name)) return script().get_display_name;
    // A copy from the task allocator, as the caller frees it.
    if (FAILED(SHStrDupW(script().path.c_str(), name))) return E_OUTOFMEMORY;
    state()->path_buffer = *name;
    return script().get_display_name;
  }
  STDMETHODIMP BindToHandler(IBindCtx*, REFGUID, REFIID, void** out) override {
    return Unexpected("BindToHandler", out);
  }
  STDMETHODIMP GetParent(IShellItem** parent) override { return Unexpected("GetParent", parent); }
  STDMETHODIMP GetAttributes(SFGAOF, SFGAOF*) override { return Unexpected("GetAttributes"); }
  STDMETHODIMP Compare(IShellItem*, SICHINTF, int*) override { return Unexpected("Compare"); }
};

class FakeFileDialog final : public FakeObject<IFileDialog, IModalWindow> {
 public:
  using FakeObject::FakeObject;

  STDMETHODIMP GetOptions(FILEOPENDIALOGOPTIONS* options) override {
    Log("GetOptions");
    *options = script().options;
    return script().get_options;
  }
  STDMETHODIMP SetOptions(FILEOPENDIALOGOPTIONS options) override {
    Log("SetOptions(" + Hex32(options) + ")");
    return script().set_options;
  }
  STDMETHODIMP SetTitle(LPCWSTR title) override {
    Log("SetTitle(" + Quoted(title) + ")");
    return script().set_title;
  }
  STDMETHODIMP Show(HWND owner) override {
    Log("Show(owner " + Hex32(reinterpret_cast<uintptr_t>(owner)) + ")");
    return script().show;
  }
  STDMETHODIMP GetResult(IShellItem** item) override {
    Log("GetResult");
    *item = SUCCEEDED(script().get_result) ? new FakeShellItem(state(), "item") : nullptr;
    return script().get_result;
  }

  STDMETHODIMP SetFileTypes(UINT, const COMDLG_FILTERSPEC*) override {
    return Unexpected("SetFileTypes");
  }
  STDMETHODIMP SetFileTypeIndex(UINT) override { return Unexpected("SetFileTypeIndex"); }
  STDMETHODIMP GetFileTypeIndex(UINT*) override { return Unexpected("GetFileTypeIndex"); }
  STDMETHODIMP Advise(IFileDialogEvents*, DWORD*) override { return Unexpected("Advise"); }
  STDMETHODIMP Unadvise(DWORD) override { return Unexpected("Unadvise"); }
  STDMETHODIMP SetDefaultFolder(IShellItem*) override { return Unexpected("SetDefaultFolder"); }
  STDMETHODIMP SetFolder(IShellItem*) override { return Unexpected("SetFolder"); }
  STDMETHODIMP GetFolder(IShellItem** folder) override { return Unexpected("GetFolder", folder); }
  STDMETHODIMP GetCurrentSelection(IShellItem** item) override {
    return Unexpected("GetCurrentSelection", item);
  }
  STDMETHODIMP SetFileName(LPCWSTR) override { return Unexpected("SetFileName"); }
  STDMETHODIMP GetFileName(LPWSTR* name) override { return Unexpected("GetFileName", name); }
  STDMETHODIMP SetOkButtonLabel(LPCWSTR) override { return Unexpected("SetOkButtonLabel"); }
  STDMETHODIMP SetFileNameLabel(LPCWSTR) override { return Unexpected("SetFileNameLabel"); }
  STDMETHODIMP AddPlace(IShellItem*, FDAP) override { return Unexpected("AddPlace"); }
  STDMETHODIMP SetDefaultExtension(LPCWSTR) override { return Unexpected("SetDefaultExtension"); }
  STDMETHODIMP Close(HRESULT) override { return Unexpected("Close"); }
  STDMETHODIMP SetClientGuid(REFGUID) override { return Unexpected("SetClientGuid"); }
  STDMETHODIMP ClearClientData() override { return Unexpected("ClearClientData"); }
  STDMETHODIMP SetFilter(IShellItemFilter*) override { return Unexpected("SetFilter"); }
};

class FakeClassFactory final : public FakeObject<IClassFactory> {
 public:
  using FakeObject::FakeObject;

  // Only IFileDialog is handed out, so a picker asking for any other
  // interface shows as a failed creation.
  STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** out) override {
    HRESULT hr = script().create;
    if (SUCCEEDED(hr) && iid != IID_IFileDialog) hr = E_NOINTERFACE;
    state()->Log("factory.CreateInstance -> " + HResultName(hr));
    *out = SUCCEEDED(hr) ? static_cast<IFileDialog*>(new FakeFileDialog(state(), "dialog"))
                         : nullptr;
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

class InitializeSpy final : public FakeObject<IInitializeSpy> {
 public:
  using FakeObject::FakeObject;

  STDMETHODIMP PreInitialize(DWORD, DWORD) override { return S_OK; }
  // What this returns becomes CoInitializeEx's result.
  STDMETHODIMP PostInitialize(HRESULT hr, DWORD coinit, DWORD) override {
    const bool sta = coinit == COINIT_APARTMENTTHREADED;
    state()->Log("CoInitializeEx(" + (sta ? "APARTMENTTHREADED" : Hex32(coinit)) + ") -> " +
                 HResultName(hr));
    return hr;
  }
  STDMETHODIMP PreUninitialize(DWORD) override {
    state()->Log("CoUninitialize");
    return S_OK;
  }
  STDMETHODIMP PostUninitialize(DWORD) override { return S_OK; }
};

// Watches the process's task allocator for the path buffer being freed.
// There is one per process, registered on first use and never revoked: COM
// defers a revocation while blocks allocated under the spy are outstanding,
// and a second registration would then fail. Its first reference is never
// given back.
class PathFreeSpy final : public FakeObject<IMallocSpy> {
 public:
  void Watch(std::shared_ptr<FakeDialogState> state) {
    const std::lock_guard<std::mutex> lock(mutex_);
    watched_ = std::move(state);
  }

  STDMETHODIMP_(void*) PreFree(void* request, BOOL) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (watched_ != nullptr && request != nullptr && request == watched_->path_buffer) {
      watched_->Log("CoTaskMemFree(path)");
    }
    return request;
  }
  STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T bytes) override { return bytes; }
  STDMETHODIMP_(void*) PostAlloc(void* actual) override { return actual; }
  STDMETHODIMP_(void) PostFree(BOOL) override {}
  STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T bytes, void** out, BOOL) override {
    *out = request;
    return bytes;
  }
  STDMETHODIMP_(void*) PostRealloc(void* actual, BOOL) override { return actual; }
  STDMETHODIMP_(void*) PreGetSize(void* request, BOOL) override { return request; }
  STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T bytes, BOOL) override { return bytes; }
  STDMETHODIMP_(void*) PreDidAlloc(void* request, BOOL) override { return request; }
  STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  STDMETHODIMP_(void) PreHeapMinimize() override {}
  STDMETHODIMP_(void) PostHeapMinimize() override {}

 private:
  std::mutex mutex_;
  std::shared_ptr<FakeDialogState> watched_;
};

// Null when COM would not take it.
PathFreeSpy* RegisteredFreeSpy() {
  static PathFreeSpy* const spy = new PathFreeSpy;
  static const bool registered = SUCCEEDED(CoRegisterMallocSpy(spy));
  return registered ? spy : nullptr;
}

}  // namespace

FakeDialogLog RunWithFakeDialog(const FakeDialogScript& script,
                                const std::function<void()>& code) {
  const auto state = std::make_shared<FakeDialogState>(script);
  std::string& setup_error = state->log.setup_error;  // written only here
  auto registered = [&setup_error](const char* call, HRESULT hr) {
    if (FAILED(hr)) setup_error += std::string(call) + " " + HResultName(hr) + "; ";
    return SUCCEEDED(hr);
  };
  // COM keeps its own reference to each while it is registered.
  IClassFactory* factory = new FakeClassFactory(state);
  DWORD class_cookie = 0;
  const bool class_registered = registered(
      "CoRegisterClassObject",
      CoRegisterClassObject(CLSID_FileOpenDialog, factory, CLSCTX_INPROC_SERVER,
                            REGCLS_MULTIPLEUSE, &class_cookie));
  factory->Release();
  IInitializeSpy* initialize_spy = new InitializeSpy(state);
  ULARGE_INTEGER initialize_spy_cookie{};
  const bool initialize_spy_registered = registered(
      "CoRegisterInitializeSpy", CoRegisterInitializeSpy(initialize_spy, &initialize_spy_cookie));
  initialize_spy->Release();
  PathFreeSpy* const free_spy = RegisteredFreeSpy();
  if (free_spy == nullptr) setup_error += "CoRegisterMallocSpy failed; ";

  // With a registration missing the code could meet the real dialog.
  if (setup_error.empty()) {
    free_spy->Watch(state);
    code();
    free_spy->Watch(nullptr);
  }
  if (initialize_spy_registered) CoRevokeInitializeSpy(initialize_spy_cookie);
  if (class_registered) CoRevokeClassObject(class_cookie);
  const std::lock_guard<std::mutex> lock(state->mutex);
  return state->log;
}

}  // namespace testing_support
