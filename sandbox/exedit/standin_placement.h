// Puts the stand-in's routines at the fixed offsets from its module base
// where the plug-in calls them: a jmp to each routine is written into a
// zero-filled area of the image that spans every offset.
#pragma once

#include <cstddef>

namespace sandbox::standin {

struct Routines {
  const void* change_scene;
  const void* save;
  const void* load;
};

// Writes nothing and returns false unless every entry point and the
// object-count variable lie inside the routine area: a jump written
// elsewhere would overwrite live code or data. The module then no longer
// fits around the fixed offsets, and refuses to load.
bool PlaceEntryPoints(unsigned char* module_base,
                      const unsigned char* routine_area,
                      size_t routine_area_size, const Routines& routines);

}  // namespace sandbox::standin
