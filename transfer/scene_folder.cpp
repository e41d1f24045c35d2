#include "transfer/scene_folder.h"

#include <shlwapi.h>

#include "shell/texts.h"
#include "transfer/folder_picker.h"
#include "transfer/scene_paths.h"

namespace {

// A folder too long for its scene paths is refused like a missing one:
// extended editing's routines take MAX_PATH-sized ANSI paths.
bool IsUsableFolder(const std::string& folder) {
  return PathFileExistsA(folder.c_str()) &&
         folder.size() <= kMaxSceneFolderBytes;
}

}  // namespace

std::string AskForSceneFolder(const char* title, FilterRecord* own) {
  for (;;) {
    std::string scene_path = SelectFolder(title);
    if (IsUsableFolder(scene_path)) return scene_path + "\\";
    // No backslash at all: the dialog was cancelled or failed.
    if (scene_path.find('\\') == std::string::npos) return std::string();
    MessageBoxA(own->window, kMsgFolderMissing, kPluginName, MB_OK);
  }
}
