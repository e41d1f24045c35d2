#include "shell/filter_lookup.h"

#include <cstring>

#include "exedit/filter_by_name.h"

FilterRecord* FindFilterByInformation(FilterRecord* own, const char* text) {
  const int count = CountFilters(own);
  for (int index = 0; index < count; ++index) {
    FilterRecord* filter = own->services->get_filter_by_index(index);
    if (filter == nullptr || filter->information == nullptr) continue;
    if (std::strcmp(filter->information, text) == 0) return filter;
  }
  return nullptr;
}
