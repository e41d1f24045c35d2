#pragma once

#include "host/host_api.h"

// Makes `scene` extended editing's current scene, looking its filter record
// up afresh as every switch needs it. False, with nothing switched, when the
// host no longer lists a filter named extended editing.
bool SwitchScene(int scene, EditHandle edit, FilterRecord* own);
