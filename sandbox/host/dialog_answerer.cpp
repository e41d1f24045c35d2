#include "sandbox/host/dialog_answerer.h"

#include <algorithm>
#include <cstdio>

namespace sandbox {
namespace {

// Short enough that a test does not wait noticeably, long enough that a
// dialog has finished building itself before it is answered.
constexpr UINT kTickMilliseconds = 40;
// A window still there this long after its answer is closed by force...
constexpr DWORD kForceCloseAfter = 5000;
// ...and one that survives even that stops the process.
constexpr DWORD kGiveUpAfter = 20000;

// The thread timer's procedure reaches the answerer of its thread through
// this; a thread timer carries no window and no user data.
thread_local DialogAnswerer* t_answerer = nullptr;
thread_local bool t_ticking = false;

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageBoxTextId = 0xFFFF;

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

bool IsClass(HWND window, const wchar_t* name) {
  return lstrcmpiW(ClassOf(window).c_str(), name) == 0;
}

std::wstring WindowTextW(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

std::string WindowTextA(HWND window) {
  // The ANSI length may exceed the wide one; two bytes per character covers
  // every double-byte code page.
  const int room = 2 * GetWindowTextLengthW(window) + 1;
  std::string text(static_cast<size_t>(room), '\0');
  const int copied = GetWindowTextA(window, text.data(), room);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM found) {
  if (IsWindowVisible(window)) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK CollectAny(HWND window, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

std::vector<HWND> VisibleThreadWindows() {
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), &CollectVisible,
                    reinterpret_cast<LPARAM>(&windows));
  return windows;
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

bool ShowsIcon(HWND box) {
  for (HWND child : Descendants(box)) {
    if (!IsClass(child, L"Static") || !IsWindowVisible(child)) continue;
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON &&
        SendMessageW(child, STM_GETICON, 0, 0) != 0) {
      return true;
    }
  }
  return false;
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

}  // namespace

DialogAnswerer::DialogAnswerer() {
  t_answerer = this;
  timer_ = SetTimer(nullptr, 0, kTickMilliseconds, &DialogAnswerer::OnTimer);
  if (timer_ == 0) {
    std::fprintf(stderr, "dialog answerer: SetTimer failed (%lu)\n",
                 GetLastError());
  }
}

DialogAnswerer::~DialogAnswerer() {
  if (timer_ != 0) KillTimer(nullptr, timer_);
  if (t_answerer == this) t_answerer = nullptr;
}

void DialogAnswerer::QueueFolder(const std::wstring& folder) {
  answers_.push_back(Answer{false, folder});
}

void DialogAnswerer::QueueCancel() { answers_.push_back(Answer{true, {}}); }

void DialogAnswerer::ClearSeen() {
  folder_dialogs_.clear();
  message_boxes_.clear();
}

void CALLBACK DialogAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  // Answering sends messages to the dialog; should one of them run a nested
  // loop that dispatches this timer again, the outer tick finishes first.
  if (t_answerer == nullptr || t_ticking) return;
  t_ticking = true;
  t_answerer->Tick();
  t_ticking = false;
}

void DialogAnswerer::Tick() {
  handled_.erase(std::remove_if(handled_.begin(), handled_.end(),
                                [](const Handled& h) { return !IsWindow(h.window); }),
                 handled_.end());

  const DWORD now = GetTickCount();
  for (Handled& handled : handled_) {
    if (!IsWindowVisible(handled.window)) continue;
    const DWORD waited = now - handled.answered_at;
    if (waited >= kGiveUpAfter) {
      std::fprintf(stderr,
                   "dialog answerer: window \"%ls\" still open %lu ms after "
                   "its answer; giving up\n",
                   WindowTextW(handled.window).c_str(), waited);
      std::fflush(stderr);
      ExitProcess(3);
    }
    if (waited >= kForceCloseAfter && !handled.forced) {
      handled.forced = true;
      PostMessageW(handled.window, WM_CLOSE, 0, 0);
      PressButton(handled.window, IDCANCEL);
    }
  }

  for (HWND window : VisibleThreadWindows()) {
    if (!IsClass(window, kDialogClass) || AlreadyHandled(window)) continue;
    if (FirstEditDescendant(window) != nullptr) {
      AnswerFolderDialog(window);
    } else {
      AnswerMessageBox(window);
    }
    handled_.push_back(Handled{window, GetTickCount(), false});
  }
}

void DialogAnswerer::AnswerFolderDialog(HWND dialog) {
  FolderDialogSeen seen{WindowTextW(dialog), false, true, std::wstring()};
  if (!answers_.empty()) {
    const Answer answer = answers_.front();
    answers_.pop_front();
    seen.answered = true;
    if (!answer.cancel) {
      seen.cancelled = false;
      seen.folder = answer.folder;
    }
  }
  folder_dialogs_.push_back(seen);

  if (seen.cancelled) {
    PressButton(dialog, IDCANCEL);
    return;
  }
  SetWindowTextW(FirstEditDescendant(dialog), seen.folder.c_str());
  PressButton(dialog, IDOK);
}

void DialogAnswerer::AnswerMessageBox(HWND box) {
  const HWND text = GetDlgItem(box, kMessageBoxTextId);
  message_boxes_.push_back(MessageBoxSeen{
      WindowTextW(box),
      text != nullptr ? WindowTextW(text) : std::wstring(),
      text != nullptr ? WindowTextA(text) : std::string(),
      GetWindow(box, GW_OWNER),
      VisibleButtonIds(box),
      ShowsIcon(box),
  });
  PressButton(box, IDOK);
}

bool DialogAnswerer::AlreadyHandled(HWND window) const {
  return std::any_of(handled_.begin(), handled_.end(),
                     [window](const Handled& h) { return h.window == window; });
}

}  // namespace sandbox
