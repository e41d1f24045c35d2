// The three callbacks the host calls through the filter table.
#pragma once

#include "host/host_api.h"

// Ids of the two menu entries the plug-in adds; the host sends them back in
// kHostMsgCommand.
constexpr int kMenuImportAll = 1025;
constexpr int kMenuExportAll = 1026;

BOOL __cdecl FilterInit(FilterRecord* own);
BOOL __cdecl FilterExit(FilterRecord* own);
BOOL __cdecl FilterWndProc(HWND window, UINT message, WPARAM wparam,
                           LPARAM lparam, EditHandle edit, FilterRecord* own);
