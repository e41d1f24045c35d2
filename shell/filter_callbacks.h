// The three callbacks the host calls through the filter table.
#pragma once

#include "shell/host_api.h"

BOOL __cdecl FilterInit(FilterRecord* own);
BOOL __cdecl FilterExit(FilterRecord* own);
BOOL __cdecl FilterWndProc(HWND window, UINT message, WPARAM wparam,
                           LPARAM lparam, EditHandle edit, FilterRecord* own);
