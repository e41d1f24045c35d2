// Answers the modal windows that a command opens on this thread, the way a
// person at the keyboard would: folder dialogs with scripted answers, message
// boxes with OK. It records what it saw, so tests and the sandbox host can
// tell which dialogs and messages appeared, with what text and owner.
//
// It runs from a thread timer, which fires inside any modal loop on the
// thread. Every wait is bounded: a folder dialog without a scripted answer is
// cancelled, a window that does not close after its answer is closed by force,
// and a window that survives even that ends the process with an error.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

namespace sandbox {

struct FolderDialogSeen {
  std::wstring title;
  bool answered;       // false: no answer was queued, so it was cancelled
  bool cancelled;
  std::wstring folder;  // what was typed into the dialog, when not cancelled
};

struct MessageBoxSeen {
  std::wstring caption;
  std::wstring text;
  std::string text_ansi;     // the text as the ANSI code page gives it back
  HWND owner;
  std::vector<int> buttons;  // ids of the visible buttons, e.g. {IDOK}
  bool icon_shown;
};

class DialogAnswerer {
 public:
  // Starts answering on the calling thread; one answerer per thread at once.
  DialogAnswerer();
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  // Answers for the next folder dialogs, in order.
  void QueueFolder(const std::wstring& folder);
  void QueueCancel();
  size_t PendingAnswers() const { return answers_.size(); }

  const std::vector<FolderDialogSeen>& folder_dialogs() const { return folder_dialogs_; }
  const std::vector<MessageBoxSeen>& message_boxes() const { return message_boxes_; }
  void ClearSeen();

 private:
  struct Answer {
    bool cancel;
    std::wstring folder;
  };
  struct Handled {
    HWND window;
    DWORD answered_at;
    bool forced;
  };
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Tick();
  void AnswerFolderDialog(HWND dialog);
  void AnswerMessageBox(HWND box);
  bool AlreadyHandled(HWND window) const;

  UINT_PTR timer_ = 0;
  std::deque<Answer> answers_;
  std::vector<Handled> handled_;
  std::vector<FolderDialogSeen> folder_dialogs_;
  std::vector<MessageBoxSeen> message_boxes_;
};

}  // namespace sandbox
