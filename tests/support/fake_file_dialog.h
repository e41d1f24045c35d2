// A scripted stand-in for the shell's file-open dialog, for the failures the
// real dialog cannot be made to show.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// What each step of the fake answers. A failing step hands out nothing.
struct FakeDialogScript {
  HRESULT create = S_OK;  // the class factory's CreateInstance
  HRESULT get_options = S_OK;
  // Written by GetOptions even when it fails, as a careless dialog might.
  // The default is what the real dialog starts with.
  DWORD options = FOS_NOCHANGEDIR | FOS_PATHMUSTEXIST | FOS_FILEMUSTEXIST;
  HRESULT set_options = S_OK;
  HRESULT set_title = S_OK;
  HRESULT show = S_OK;
  HRESULT get_result = S_OK;
  HRESULT get_display_name = S_OK;
  std::wstring path = L"C:\\scenes";  // the chosen item's file-system path
};

// What the fake saw of one run.
struct FakeDialogLog {
  std::string setup_error;  // empty when every registration worked, else what failed
  // e.g. "dialog.SetOptions(0x00001868)", "item.Release -> 0",
  // "CoTaskMemFree(path)", "CoUninitialize".
  std::vector<std::string> events;
  int live_objects = 0;  // fake objects not yet released to zero
};

// Runs `code` on the calling thread, which must already have COM (an
// apartment of either kind), with its CoCreateInstance of CLSID_FileOpenDialog
// giving the fake dialog. What the code does to the dialog, to the item it
// hands out, to the path buffer and to COM on the thread is logged in order.
// Should the fake fail to register, the code is not run.
FakeDialogLog RunWithFakeDialog(const FakeDialogScript& script,
                                const std::function<void()>& code);

}  // namespace testing_support
