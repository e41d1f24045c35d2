#include "sandbox/host/dialog_answerer.h"

#include <algorithm>
#include <cstdio>

#include "sandbox/host/text_conversion.h"

namespace sandbox {
namespace {

// Short enough that a test does not wait noticeably.
constexpr DWORD kTickMilliseconds = 40;
// Whatever is sent to a window of another thread waits for that thread; no
// longer than this.
constexpr UINT kSendTimeout = 1000;
// A window still there this long after its answer is closed by force...
constexpr DWORD kForceCloseAfter = 3000;
// ...and one that survives even that stops the process, as does one whose
// thread has not answered for this long since it appeared.
constexpr DWORD kGiveUpAfter = 10000;

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
bool ReadText(HWND window, std::wstring& text) {
  DWORD_PTR length = 0;
  if (!SendBounded(window, WM_GETTEXTLENGTH, 0, 0, &length)) return false;
  text.assign(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendBounded(window, WM_GETTEXT, length + 1,
                   reinterpret_cast<LPARAM>(text.data()), &copied)) {
    return false;
  }
  text.resize(std::min<size_t>(copied, length));
  return true;
}

// Sends nothing, so it serves for a window whose thread does not answer.
std::wstring TitleWithoutAsking(HWND window) {
  wchar_t title[256] = {};
  InternalGetWindowText(window, title, 256);
  return title;
}

std::string Quoted(const std::wstring& text) {
  return "\"" + WideToUtf8(text) + "\"";
}

BOOL CALLBACK CollectVisibleOfProcess(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() && IsWindowVisible(window)) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  }
  return TRUE;
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

// False, like ReadText, when an icon's window did not answer in time.
bool ReadIconShown(HWND box, bool& shown) {
  shown = false;
  for (HWND child : Descendants(box)) {
    if (!IsClass(child, L"Static") || !IsWindowVisible(child) ||
        (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
      continue;
    }
    DWORD_PTR icon = 0;
    if (!SendBounded(child, STM_GETICON, 0, 0, &icon)) return false;
    shown = shown || icon != 0;
  }
  return true;
}

std::vector<int> VisibleButtonIds(HWND box) {
  std::vector<int> ids;
  for (HWND child : Descendants(box)) {
    if (IsClass(child, L"Button") && IsWindowVisible(child)) {
      ids.push_back(GetDlgCtrlID(child));
    }
  }
  return ids;
}

void PressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

template <typename Kind>
std::vector<Kind> OfKind(const std::vector<WindowSeen>& seen) {
  std::vector<Kind> of_kind;
  for (const WindowSeen& window : seen) {
    if (const Kind* kind = std::get_if<Kind>(&window)) of_kind.push_back(*kind);
  }
  return of_kind;
}

// A message sent to a window is handled only once its thread waits for
// messages again, that is once a new dialog has finished building itself.
bool ReachedMessageLoop(HWND window) {
  return SendBounded(window, WM_NULL, 0, 0);
}

}  // namespace

std::vector<HWND> VisibleProcessWindows() {
  std::vector<HWND> windows;
  EnumWindows(&CollectVisibleOfProcess, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

DialogAnswerer::DialogAnswerer() {
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (stop_ == nullptr) {
    std::fprintf(stderr, "dialog answerer: CreateEvent failed (%lu)\n",
                 GetLastError());
    return;
  }
  watcher_ = std::thread([this] { Watch(); });
}

DialogAnswerer::~DialogAnswerer() {
  if (stop_ == nullptr) return;
  SetEvent(stop_);
  watcher_.join();  // within a tick: every wait of the watcher is bounded
  CloseHandle(stop_);
}

void DialogAnswerer::QueueFolder(const std::wstring& title,
                                 const std::wstring& folder) {
  const std::lock_guard<std::mutex> lock(mutex_);
  script_.push_back(Expected{Kind::kFolder, title, folder});
}

void DialogAnswerer::QueueCancel(const std::wstring& title) {
  const std::lock_guard<std::mutex> lock(mutex_);
  script_.push_back(Expected{Kind::kCancel, title, {}});
}

void DialogAnswerer::QueueMessageBox(const std::wstring& caption) {
  const std::lock_guard<std::mutex> lock(mutex_);
  script_.push_back(Expected{Kind::kMessageBox, caption, {}});
}

size_t DialogAnswerer::PendingAnswers() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return script_.size();
}

std::vector<WindowSeen> DialogAnswerer::seen() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

std::vector<FolderDialogSeen> DialogAnswerer::folder_dialogs() const {
  return OfKind<FolderDialogSeen>(seen());
}

std::vector<MessageBoxSeen> DialogAnswerer::message_boxes() const {
  return OfKind<MessageBoxSeen>(seen());
}

std::vector<std::string> DialogAnswerer::unexpected() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return unexpected_;
}

void DialogAnswerer::Watch() {
  while (WaitForSingleObject(stop_, kTickMilliseconds) == WAIT_TIMEOUT) Tick();
}

void DialogAnswerer::Tick() {
  watched_.erase(std::remove_if(watched_.begin(), watched_.end(),
                                [](const Watched& w) { return !IsWindow(w.window); }),
                 watched_.end());
  for (HWND window : VisibleProcessWindows()) {
    if (IsClass(window, kDialogClass) && !IsWatched(window)) {
      watched_.push_back(Watched{window, GetTickCount(), false, false});
    }
  }

  for (Watched& watched : watched_) {
    if (!IsWindowVisible(watched.window)) continue;
    if (!watched.answered && Answer(watched.window)) {
      watched.answered = true;
      watched.since = GetTickCount();
      continue;
    }
    const DWORD waited = GetTickCount() - watched.since;
    if (waited >= kGiveUpAfter) {
      std::fprintf(stderr, "dialog answerer: window %s %s %lu ms; giving up\n",
                   Quoted(TitleWithoutAsking(watched.window)).c_str(),
                   watched.answered ? "still open after its answer for"
                                    : "has not answered for",
                   waited);
      std::fflush(stderr);
      TerminateProcess(GetCurrentProcess(), kExitDialogStuck);
    }
    if (watched.answered && waited >= kForceCloseAfter && !watched.forced) {
      watched.forced = true;
      PostMessageW(watched.window, WM_CLOSE, 0, 0);
      PressButton(watched.window, IDCANCEL);
    }
  }
}

bool DialogAnswerer::Answer(HWND window) {
  if (!ReachedMessageLoop(window)) return false;
  return FirstEditDescendant(window) != nullptr ? AnswerFolderDialog(window)
                                                : AnswerMessageBox(window);
}

bool DialogAnswerer::TakeExpected(bool is_folder_dialog,
                                  const std::wstring& title,
                                  const std::string& seen, Expected& taken) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!script_.empty()) {
    const Expected& next = script_.front();
    const bool kind_fits = (next.kind == Kind::kMessageBox) != is_folder_dialog;
    const bool any_folder_dialog = is_folder_dialog && next.title.empty();
    if (kind_fits && (any_folder_dialog || next.title == title)) {
      taken = next;
      script_.pop_front();
      return true;
    }
  }
  std::string expected = "nothing";
  if (!script_.empty()) {
    const Expected& next = script_.front();
    if (next.kind == Kind::kMessageBox) {
      expected = "message box " + Quoted(next.title);
    } else {
      expected = next.title.empty() ? "any folder dialog"
                                    : "folder dialog " + Quoted(next.title);
    }
  }
  unexpected_.push_back(seen + " where " + expected + " was expected");
  return false;
}

bool DialogAnswerer::AnswerFolderDialog(HWND dialog) {
  FolderDialogSeen seen{std::wstring(), false, true, std::wstring()};
  if (!ReadText(dialog, seen.title)) return false;
  Expected expected{};
  if (TakeExpected(true, seen.title, "folder dialog " + Quoted(seen.title),
                   expected)) {
    seen.answered = true;
    if (expected.kind == Kind::kFolder) {
      seen.cancelled = false;
      seen.folder = expected.folder;
    }
  }
  const bool typed =
      seen.cancelled ||
      SendBounded(FirstEditDescendant(dialog), WM_SETTEXT, 0,
                  reinterpret_cast<LPARAM>(seen.folder.c_str()));
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!typed) {
    // The dialog's thread is busy: its answer waits at the front of the
    // script for the next tick.
    script_.push_front(expected);
    return false;
  }
  seen_.push_back(seen);
  PressButton(dialog, seen.cancelled ? IDCANCEL : IDOK);
  return true;
}

bool DialogAnswerer::AnswerMessageBox(HWND box) {
  MessageBoxSeen seen{};
  const HWND text_window = GetDlgItem(box, kMessageBoxTextId);
  if (!ReadText(box, seen.caption) ||
      (text_window != nullptr && !ReadText(text_window, seen.text)) ||
      !ReadIconShown(box, seen.icon_shown)) {
    return false;
  }
  seen.text_ansi = Ansi(seen.text);
  seen.owner = GetWindow(box, GW_OWNER);
  seen.buttons = VisibleButtonIds(box);
  Expected expected{};
  TakeExpected(false, seen.caption,
               "message box " + Quoted(seen.caption) + ": " + Quoted(seen.text),
               expected);
  const std::lock_guard<std::mutex> lock(mutex_);
  seen_.push_back(seen);
  PressButton(box, IDOK);
  return true;
}

bool DialogAnswerer::IsWatched(HWND window) const {
  return std::any_of(watched_.begin(), watched_.end(),
                     [window](const Watched& w) { return w.window == window; });
}

}  // namespace sandbox
