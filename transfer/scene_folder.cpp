#include "transfer/scene_folder.h"

#include <shlwapi.h>

#include "host/texts.h"
#include "transfer/folder_picker.h"
#include "transfer/scene_paths.h"

namespace {

// Refused like a missing folder: one whose ANSI path holds look-alikes for
// characters the code page lacks, as that path may name another folder beside
// it; and one too long for its scene paths, as extended editing's routines
// take MAX_PATH-sized ANSI paths.
bool IsUsableFolder(const FolderChoice& choice) {
  return choice.exact && PathFileExistsA(choice.path.c_str()) &&
         choice.path.size() <= kMaxSceneFolderBytes;
}

}  // namespace

std::string AskForSceneFolder(const char* title, FilterRecord* own) {
  for (;;) {
    const FolderChoice choice = SelectFolder(title);
    if (IsUsableFolder(choice)) return choice.path + "\\";
    // No backslash at all: the dialog was cancelled or failed.
    if (choice.path.find('\\') == std::string::npos) return std::string();
    MessageBoxA(own->window, kMsgFolderMissing, kPluginName, MB_OK);
  }
}
