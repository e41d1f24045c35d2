#include "plugin/filter_callbacks.h"

#include "exedit/exedit_link.h"
#include "host/filter_lookup.h"
#include "host/texts.h"
#include "transfer/batch_commands.h"

namespace {

// Adds the two menu entries only when extended editing 0.92 is both listed
// by the host and linked: with the information text found but exedit.auf not
// loaded, a command would call into offsets from a null base. A host that
// starts each plug-in as it loads it may have started this one before
// exedit.auf; by the init message every plug-in is loaded, so the link is
// looked for once more (Resolve keeps a link it already has).
void ArmOrReportMissingExedit(FilterRecord* own) {
  const bool linked = ExeditLink::Resolve();
  const bool exedit_found =
      FindFilterByInformation(own, kExeditInformation) != nullptr;
  if (!exedit_found || !linked) {
    MessageBoxA(own->window, kMsgExeditNotFound, kPluginName, MB_OK);
    return;
  }
  own->services->add_menu_item(own, kMenuImportAllText, own->window,
                               kMenuImportAll, 0, 0);
  own->services->add_menu_item(own, kMenuExportAllText, own->window,
                               kMenuExportAll, 0, 0);
}

void RunCommand(WPARAM id, EditHandle edit, FilterRecord* own) {
  // The entries exist only with a resolved link; a host that sends their ids
  // anyway must not reach offsets from a null base.
  if (!ExeditLink::IsResolved()) return;
  if (id == kMenuImportAll) {
    ImportAllScenes(edit, own);
  } else if (id == kMenuExportAll) {
    ExportAllScenes(edit, own);
  }
}

}  // namespace

BOOL __cdecl FilterInit(FilterRecord*) { return ExeditLink::Resolve(); }

BOOL __cdecl FilterExit(FilterRecord*) { return TRUE; }

BOOL __cdecl FilterWndProc(HWND, UINT message, WPARAM wparam, LPARAM,
                           EditHandle edit, FilterRecord* own) {
  // The host was built by another compiler: an exception reaching it would
  // end the editor and the user's unsaved project with it. A command that
  // runs out of memory simply ends.
  try {
    if (message == kHostMsgInit) {
      ArmOrReportMissingExedit(own);
    } else if (message == kHostMsgCommand) {
      RunCommand(wparam, edit, own);
    }
  } catch (...) {
  }
  return FALSE;
}
