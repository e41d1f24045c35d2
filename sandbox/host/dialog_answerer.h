// Answers the modal windows that open in this process, the way a person at
// the keyboard would, following a script of the windows expected next:
// folder dialogs with a folder or a cancel, message boxes with OK. It records
// every window it answered, in order, and names each one the script did not
// expect.
//
// It watches from a thread of its own, so it answers a window whichever
// thread opened it, even one COM shows on a thread of its own. A window whose
// thread is busy is tried again at the next tick; every message sent is
// bounded, and a window that never closes is left to the one bound of
// whoever waits on it (the tests' watchdog, trebbo-host's deadline).
#pragma once

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sandbox {

// A folder dialog or a message box, as the answerer met it or as a script
// expects it. Texts are as an ANSI function reads them back: a plug-in's own
// bytes.
struct Window {
  enum class Kind { kFolderDialog, kMessageBox };
  Kind kind = Kind::kMessageBox;
  std::string title{};     // the dialog's title or the box's caption
  std::wstring folder{};   // folder dialogs: typed in, or empty for a cancel
  std::string text{};      // message boxes from here on
  HWND owner = nullptr;
  std::vector<int> buttons{};  // ids of the visible buttons, e.g. {IDOK}
  bool icon = false;
  bool owner_disabled = false;  // while it is open: modal to its owner
  bool topmost = false;         // above every program's windows: system-modal
  // Met windows only: whether the script expected it. One it did not expect
  // is cancelled (folder dialogs) or confirmed (message boxes) at once.
  bool expected = false;
};

class DialogAnswerer {
 public:
  // Starts watching; one answerer per process at once. Its lock makes it
  // neither copyable nor movable.
  DialogAnswerer();
  ~DialogAnswerer();

  // The windows expected next, in order. A folder dialog with `title` (""
  // for any folder dialog) and no owner, as the plug-in shows it, is
  // answered with `folder`, or cancelled when that is empty.
  void ExpectFolderDialog(const std::string& title, const std::wstring& folder);
  // A message box like `box` in every field: caption, text, owner, buttons,
  // icon and modality.
  void ExpectMessageBox(const Window& box);
  // A message box of the system's own with this caption, whatever it says.
  void ExpectSystemMessageBox(const std::string& caption);

  // Every window answered, in the order they came.
  std::vector<Window> seen() const;
  // Empty when exactly the expected windows came; otherwise a line (UTF-8)
  // for each window that came where the script expected another or nothing,
  // and the count of expected ones that never came.
  std::string Mismatch() const;

 private:
  struct Expected {
    Window window;
    bool caption_only;
  };
  void Expect(const Window& window, bool caption_only);
  void Watch();
  void Tick();
  // False, having answered and recorded nothing, while the window's thread
  // does not answer in time.
  bool Answer(HWND window);
  // Takes the script's next entry into `taken` when it is this window;
  // otherwise records the window as unexpected.
  bool TakeExpected(const Window& seen, Expected& taken);

  mutable std::mutex mutex_;  // guards the script and what was seen
  std::deque<Expected> script_;
  std::vector<Window> seen_;
  std::vector<std::string> unexpected_;

  std::vector<HWND> answered_;  // the watcher's own: answered, not yet gone
  HANDLE stop_ = nullptr;
  std::thread watcher_;
};

}  // namespace sandbox
