#include "sandbox/host/dialog_answerer.h"

#include <algorithm>
#include <cstdio>

#include "sandbox/host/process_windows.h"
#include "sandbox/host/text_conversion.h"

namespace sandbox {
namespace {

// Short enough that a test does not wait noticeably.
constexpr DWORD kTickMilliseconds = 40;
// Whatever is sent to a window of another thread waits for that thread; no
// longer than this.
constexpr UINT kSendTimeout = 1000;

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageBoxTextId = 0xFFFF;

bool SendBounded(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                 DWORD_PTR* result = nullptr) {
  DWORD_PTR ignored = 0;
  return window != nullptr &&
         SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG,
                             kSendTimeout, result ? result : &ignored) != 0;
}

bool IsClass(HWND window, const wchar_t* name) {
  wchar_t class_name[64] = {};
  GetClassNameW(window, class_name, 64);
  return lstrcmpiW(class_name, name) == 0;
}

// False when the window's thread did not answer in time: a busy thread, not
// an empty text.
bool ReadText(HWND window, std::string& text) {
  DWORD_PTR length = 0;
  if (!SendBounded(window, WM_GETTEXTLENGTH, 0, 0, &length)) return false;
  std::wstring wide(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendBounded(window, WM_GETTEXT, length + 1,
                   reinterpret_cast<LPARAM>(wide.data()), &copied)) {
    return false;
  }
  wide.resize(std::min<size_t>(copied, length));
  text = Ansi(wide);
  return true;
}

BOOL CALLBACK CollectAny(HWND window, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, &CollectAny, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND FirstEditDescendant(HWND dialog) {
  for (HWND child : Descendants(dialog)) {
    if (IsClass(child, L"Edit")) return child;
  }
  return nullptr;
}

// The text, buttons, icon and modality of a message box. False, like
// ReadText, when one of its windows did not answer in time.
bool ReadMessageBox(HWND box, Window& seen) {
  const HWND text = GetDlgItem(box, kMessageBoxTextId);
  if (text != nullptr && !ReadText(text, seen.text)) return false;
  seen.owner_disabled = seen.owner != nullptr && !IsWindowEnabled(seen.owner);
  seen.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  for (HWND child : Descendants(box)) {
    if (!IsWindowVisible(child)) continue;
    if (IsClass(child, L"Button")) seen.buttons.push_back(GetDlgCtrlID(child));
    if (IsClass(child, L"Static") &&
        (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      DWORD_PTR icon = 0;
      if (!SendBounded(child, STM_GETICON, 0, 0, &icon)) return false;
      seen.icon = seen.icon || icon != 0;
    }
  }
  return true;
}

void PressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string Quoted(const std::string& ansi) { return "\"" + ShiftJisToUtf8(ansi) + "\""; }

std::string OwnerOf(const Window& window) {
  if (window.owner == nullptr) return "no owner";
  char owner[32];
  std::snprintf(owner, sizeof owner, "owner %p", static_cast<void*>(window.owner));
  return owner;
}

std::string Describe(const Window& window, bool caption_only) {
  if (window.kind == Window::Kind::kFolderDialog) {
    return (window.title.empty() ? "any folder dialog" : "folder dialog " + Quoted(window.title)) +
           ", " + OwnerOf(window);
  }
  std::string line = "message box " + Quoted(window.title);
  if (caption_only) return line;
  line += ": " + Quoted(window.text) + ", " + OwnerOf(window) +
          (window.owner_disabled ? " disabled" : "") + ", buttons";
  for (int id : window.buttons) line += " " + std::to_string(id);
  return line + (window.icon ? ", icon" : ", no icon") + (window.topmost ? ", topmost" : "");
}

bool Matches(const Window& expected, bool caption_only, const Window& seen) {
  if (expected.kind != seen.kind) return false;
  if (seen.kind == Window::Kind::kFolderDialog) {
    return (expected.title.empty() || expected.title == seen.title) &&
           expected.owner == seen.owner;
  }
  return expected.title == seen.title &&
         (caption_only || (expected.text == seen.text && expected.owner == seen.owner &&
                           expected.buttons == seen.buttons && expected.icon == seen.icon &&
                           expected.owner_disabled == seen.owner_disabled &&
                           expected.topmost == seen.topmost));
}

}  // namespace

DialogAnswerer::DialogAnswerer() {
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  watcher_ = std::thread([this] { Watch(); });
}

DialogAnswerer::~DialogAnswerer() {
  SetEvent(stop_);
  watcher_.join();  // within a tick: every wait of the watcher is bounded
  CloseHandle(stop_);
}

void DialogAnswerer::Expect(const Window& window, bool caption_only) {
  const std::lock_guard<std::mutex> lock(mutex_);
  script_.push_back(Expected{window, caption_only});
}

void DialogAnswerer::ExpectFolderDialog(const std::string& title,
                                        const std::wstring& folder) {
  Expect({Window::Kind::kFolderDialog, title, folder}, false);
}

void DialogAnswerer::ExpectMessageBox(const Window& box) { Expect(box, false); }

void DialogAnswerer::ExpectSystemMessageBox(const std::string& caption) {
  Expect({Window::Kind::kMessageBox, caption}, true);
}

std::vector<Window> DialogAnswerer::seen() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

std::string DialogAnswerer::Mismatch() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::string mismatch;
  for (const std::string& line : unexpected_) mismatch += "unexpected " + line + "\n";
  if (!script_.empty()) {
    mismatch += std::to_string(script_.size()) + " expected window(s) never came, the first " +
                Describe(script_.front().window, script_.front().caption_only) + "\n";
  }
  return mismatch;
}

void DialogAnswerer::Watch() {
  while (WaitForSingleObject(stop_, kTickMilliseconds) == WAIT_TIMEOUT) Tick();
}

void DialogAnswerer::Tick() {
  answered_.erase(std::remove_if(answered_.begin(), answered_.end(),
                                 [](HWND window) { return !IsWindow(window); }),
                  answered_.end());
  for (HWND window : VisibleProcessWindows()) {
    if (!IsClass(window, kDialogClass) ||
        std::find(answered_.begin(), answered_.end(), window) != answered_.end()) {
      continue;
    }
    if (Answer(window)) answered_.push_back(window);
  }
}

bool DialogAnswerer::Answer(HWND window) {
  // A message sent to a new dialog is handled only once it has built itself
  // and waits for messages.
  if (!SendBounded(window, WM_NULL, 0, 0)) return false;
  Window seen;
  const HWND edit = FirstEditDescendant(window);
  seen.kind = edit != nullptr ? Window::Kind::kFolderDialog : Window::Kind::kMessageBox;
  if (!ReadText(window, seen.title)) return false;
  seen.owner = GetWindow(window, GW_OWNER);
  if (edit == nullptr && !ReadMessageBox(window, seen)) return false;

  Expected taken{};
  seen.expected = TakeExpected(seen, taken);
  seen.folder = taken.window.folder;
  if (!seen.folder.empty() &&
      !SendBounded(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(seen.folder.c_str()))) {
    // The dialog's thread is busy: its answer waits at the front of the
    // script for the next tick.
    const std::lock_guard<std::mutex> lock(mutex_);
    script_.push_front(taken);
    return false;
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    seen_.push_back(seen);
  }
  const bool cancel = seen.kind == Window::Kind::kFolderDialog && seen.folder.empty();
  PressButton(window, cancel ? IDCANCEL : IDOK);
  return true;
}

bool DialogAnswerer::TakeExpected(const Window& seen, Expected& taken) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!script_.empty() &&
      Matches(script_.front().window, script_.front().caption_only, seen)) {
    taken = script_.front();
    script_.pop_front();
    return true;
  }
  const std::string expected =
      script_.empty() ? "nothing"
                      : Describe(script_.front().window, script_.front().caption_only);
  unexpected_.push_back(Describe(seen, false) + " where " + expected + " was expected");
  return false;
}

}  // namespace sandbox
