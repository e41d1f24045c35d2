#pragma once

#include "shell/host_api.h"

// The first of the host's filters whose information text equals `text`, or
// null. Filters without an information text are skipped.
FilterRecord* FindFilterByInformation(FilterRecord* own, const char* text);
