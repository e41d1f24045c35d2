// Answers the modal windows that open in this process, the way a person at
// the keyboard would, following a script of the windows expected next:
// folder dialogs with a folder or a cancel, message boxes with OK. It records
// what it saw, in the order it came, so tests and trebbo-host can tell which
// dialogs and messages appeared, with what text and owner, and which were not
// expected.
//
// It watches from a thread of its own, so it answers a window whichever
// thread opened it, even while the caller waits without pumping messages (a
// dialog that COM shows on a thread of its own, for instance). A window is
// answered once its thread answers the messages that read it; while that
// thread is busy, it is tried again at each tick. Every wait is bounded: a
// window other than the one the script expects next is answered at once
// (folder dialogs cancelled, message boxes confirmed) and recorded as
// unexpected; a window that does not close after its answer is closed by
// force, and one that survives even that, or whose thread does not answer
// for seconds, ends the process with an error naming it.
#pragma once

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace sandbox {

// The visible top-level windows of this process, whichever thread owns them.
// Sends no message, so it answers even while a window's thread is stuck.
std::vector<HWND> VisibleProcessWindows();

struct FolderDialogSeen {
  std::wstring title;
  bool answered;       // false: the script did not expect it, so it was cancelled
  bool cancelled;
  std::wstring folder;  // what was typed into the dialog, when not cancelled
};

struct MessageBoxSeen {
  std::wstring caption;
  std::wstring text;
  std::string text_ansi;     // the text as an ANSI function reads it back
  HWND owner;
  std::vector<int> buttons;  // ids of the visible buttons, e.g. {IDOK}
  bool icon_shown;
};

using WindowSeen = std::variant<FolderDialogSeen, MessageBoxSeen>;

// Exit status of a process whose dialog did not close even when closed by
// force: the answerer ends it rather than let it wait for ever.
constexpr UINT kExitDialogStuck = 3;

class DialogAnswerer {
 public:
  // Starts watching; one answerer per process at once.
  DialogAnswerer();
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  // The windows expected next, in order. A folder dialog with `title` (an
  // empty title stands for any folder dialog) is answered with `folder` or
  // cancelled; a message box with `caption` is confirmed.
  void QueueFolder(const std::wstring& title, const std::wstring& folder);
  void QueueCancel(const std::wstring& title);
  void QueueMessageBox(const std::wstring& caption);
  size_t PendingAnswers() const;

  // Every window answered, in the order they came.
  std::vector<WindowSeen> seen() const;
  // The folder dialogs of seen(), and its message boxes.
  std::vector<FolderDialogSeen> folder_dialogs() const;
  std::vector<MessageBoxSeen> message_boxes() const;
  // One line (UTF-8) for each window that came where the script expected
  // another or nothing, e.g. folder dialog "Select folder to import" where
  // folder dialog "Select folder to save" was expected.
  std::vector<std::string> unexpected() const;

 private:
  enum class Kind { kFolder, kCancel, kMessageBox };
  struct Expected {
    Kind kind;
    std::wstring title;  // dialog title or message box caption
    std::wstring folder;
  };
  // A dialog-class window the watcher has met, until it is gone.
  struct Watched {
    HWND window;
    DWORD since;  // when it appeared, and once answered, when it was
    bool answered;
    bool forced;
  };
  void Watch();
  void Tick();
  // Each false, having answered and recorded nothing, while the window's
  // thread does not answer in time.
  bool Answer(HWND window);
  bool AnswerFolderDialog(HWND dialog);
  bool AnswerMessageBox(HWND box);
  // Takes the script's next entry into `taken` when it is this window;
  // otherwise records the window, described by `seen`, as unexpected.
  bool TakeExpected(bool is_folder_dialog, const std::wstring& title,
                    const std::string& seen, Expected& taken);
  bool IsWatched(HWND window) const;

  mutable std::mutex mutex_;  // guards the script and what was seen
  std::deque<Expected> script_;
  std::vector<WindowSeen> seen_;
  std::vector<std::string> unexpected_;

  std::vector<Watched> watched_;  // the watcher's own
  HANDLE stop_ = nullptr;
  std::thread watcher_;
};

}  // namespace sandbox
