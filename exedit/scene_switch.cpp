#include "exedit/scene_switch.h"

#include "exedit/exedit_link.h"
#include "host/filter_lookup.h"
#include "host/texts.h"

bool SwitchScene(int scene, EditHandle edit, FilterRecord* own) {
  // Extended editing's routines take its record as given; a null one would
  // reach its code, so the command ends instead.
  FilterRecord* exedit = FindFilterByName(own, kExeditName);
  if (exedit == nullptr) return false;
  ExeditLink::ChangeScene(scene, exedit, edit);
  return true;
}
