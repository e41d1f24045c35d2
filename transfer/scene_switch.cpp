#include "transfer/scene_switch.h"

#include "exedit/exedit_link.h"
#include "exedit/filter_by_name.h"
#include "shell/texts.h"

bool SwitchScene(int scene, EditHandle edit, FilterRecord* own) {
  // Extended editing's routines take its record as given; a null one would
  // reach its code, so the command ends instead.
  FilterRecord* exedit = FindFilterByName(own, kExeditName);
  if (exedit == nullptr) return false;
  ExeditLink::ChangeScene(scene, exedit, edit);
  return true;
}
