// The plug-in's filter table, handed to the host by GetFilterTable.
#pragma once

#include "shell/host_api.h"

constexpr int kMenuImportAll = 1025;
constexpr int kMenuExportAll = 1026;

// Index of the "skip scenes without objects" checkbox.
constexpr int kCheckSkipEmptyScenesIndex = 0;

extern "C" FilterTable* __cdecl GetFilterTable();
