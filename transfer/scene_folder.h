#pragma once

#include <string>

#include "host/host_api.h"

// Asks for a scene folder until the user picks one that exists, that the ANSI
// code page names exactly and that is short enough, or gives up.
// Returns the folder with one "\" appended (whatever it ended with), or an
// empty string when the command should end quietly.
std::string AskForSceneFolder(const char* title, FilterRecord* own);
