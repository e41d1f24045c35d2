#include "transfer/folder_picker.h"

#include <windows.h>
#include <shobjidl.h>

#include "transfer/com_holders.h"
#include "transfer/wide_to_ansi.h"

namespace {

// One code unit per byte, no code page: the titles are ASCII.
std::wstring WidenBytes(const std::string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (const char byte : text) {
    wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
  }
  return wide;
}

}  // namespace

FolderChoice SelectFolder(std::string title) {
  FolderChoice output;

  // Declared in acquisition order, so they end as path buffer, item, dialog,
  // COM initialisation.
  const ComInitialization com(COINIT_APARTMENTTHREADED);
  if (!com.succeeded()) return output;

  ComReference<IFileDialog> pFileDialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr,
                              CLSCTX_INPROC_SERVER, IID_IFileDialog,
                              pFileDialog.ReceiveUntyped()))) {
    return output;
  }

  // The dialog is shown whatever these return. Should GetOptions fail, the
  // two flags go on top of no options rather than on whatever it left in
  // dwOptions.
  DWORD dwOptions = 0;
  if (FAILED(pFileDialog->GetOptions(&dwOptions))) dwOptions = 0;
  pFileDialog->SetOptions(dwOptions | FOS_FORCEFILESYSTEM | FOS_PICKFOLDERS);
  pFileDialog->SetTitle(WidenBytes(title).c_str());

  // The user's cancel is a failure like any other.
  if (FAILED(pFileDialog->Show(nullptr))) return output;

  ComReference<IShellItem> pItem;
  if (FAILED(pFileDialog->GetResult(pItem.Receive()))) return output;

  TaskMemoryString pszFilePath;
  if (FAILED(pItem->GetDisplayName(SIGDN_FILESYSPATH, pszFilePath.Receive()))) {
    return output;
  }
  // Declared after the path buffer, the wide copy ends before it is freed.
  const std::wstring path(pszFilePath.get());
  output.path = WideToAnsi(path);
  output.exact = AnsiDecodesBackTo(output.path, path);
  return output;
}
