// Lookups in the host's list of filters. Both searches walk the list, in
// opposite directions, and the direction is the rule: of several filters
// registered under one name the one loaded last wins, so that walk runs down
// from the last; of several carrying one information text the one loaded
// first wins, so that walk runs up from the first.
#pragma once

#include "host/host_api.h"

// Number of filters the host has loaded.
int CountFilters(FilterRecord* own);

// The filter registered under `name`; of several, the one with the highest
// index. Null when there is none. Filters without a name are skipped.
FilterRecord* FindFilterByName(FilterRecord* own, const char* name);

// The filter whose information text equals `text`; of several, the one with
// the lowest index. Null when there is none. Filters without an information
// text are skipped.
FilterRecord* FindFilterByInformation(FilterRecord* own, const char* text);
