#include "shell/filter_table.h"

#include "shell/filter_callbacks.h"
#include "shell/texts.h"

namespace {

const char* const kCheckLabels[] = {kCheckSkipEmptyScenes};
const int kCheckDefaults[] = {1};

FilterTable MakeFilterTable() {
  FilterTable table{};
  table.flags = kFilterFlagAlwaysActive | kFilterFlagExportsMenu;
  table.name = kPluginName;
  table.check_count = 1;
  table.check_labels = kCheckLabels;
  table.check_defaults = kCheckDefaults;
  table.func_init = FilterInit;
  table.func_exit = FilterExit;
  table.func_wndproc = FilterWndProc;
  table.information = kPluginInformation;
  return table;
}

}  // namespace

extern "C" FilterTable* __cdecl GetFilterTable() {
  // Filled once, on the first request; the static's guarded initialisation
  // makes that safe even if two threads ask at once.
  static FilterTable table = MakeFilterTable();
  return &table;
}
