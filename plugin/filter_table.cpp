#include "plugin/filter_table.h"

#include "host/texts.h"
#include "plugin/filter_callbacks.h"
#include "transfer/batch_commands.h"

namespace {

const char* const kCheckLabels[] = {kCheckSkipEmptyScenes};
const int kCheckDefaults[] = {1};
static_assert(kCheckSkipEmptyScenesIndex == 0,
              "the export reads the empty-scene checkbox at this index");

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
