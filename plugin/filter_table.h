// The plug-in's filter table, handed to the host by GetFilterTable.
#pragma once

#include "host/host_api.h"

extern "C" FilterTable* __cdecl GetFilterTable();
