#include "host/filter_lookup.h"

#include <cstring>

int CountFilters(FilterRecord* own) {
  SystemInfo si{};
  own->services->get_system_info(nullptr, &si);
  return si.filter_count;
}

FilterRecord* FindFilterByName(FilterRecord* own, const char* name) {
  for (int index = CountFilters(own) - 1; index >= 0; --index) {
    FilterRecord* filter = own->services->get_filter_by_index(index);
    if (filter == nullptr || filter->name == nullptr) continue;
    if (std::strcmp(filter->name, name) == 0) return filter;
  }
  return nullptr;
}

FilterRecord* FindFilterByInformation(FilterRecord* own, const char* text) {
  const int count = CountFilters(own);
  for (int index = 0; index < count; ++index) {
    FilterRecord* filter = own->services->get_filter_by_index(index);
    if (filter == nullptr || filter->information == nullptr) continue;
    if (std::strcmp(filter->information, text) == 0) return filter;
  }
  return nullptr;
}
