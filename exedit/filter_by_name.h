// Lookups in the host's list of filters.
#pragma once

#include "shell/host_api.h"

// Number of filters the host has loaded.
int CountFilters(FilterRecord* own);

// The filter registered under `name`; of several, the one with the highest
// index. Null when there is none. Filters without a name are skipped.
FilterRecord* FindFilterByName(FilterRecord* own, const char* name);
