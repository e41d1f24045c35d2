// How trebbo-host describes what it saw: every line goes out as UTF-8, and
// texts that came from a plug-in are turned from its Shift_JIS first, so the
// terminal shows what a person at the editor would have read.
#pragma once

#include <string>
#include <vector>

#include "sandbox/exedit/standin_control.h"
#include "sandbox/host/dialog_answerer.h"
#include "sandbox/host/sandbox_host.h"

namespace sandbox::tool {

void Print(const std::string& utf8_line);
// Errors go to the standard error, prefixed with the program's name.
void PrintError(const std::string& utf8_line);

// Its file, its record's texts, its init result and its checkboxes.
void PrintLoadedFilter(const LoadedFilter& filter);
// The folder dialogs and message boxes from the `first` seen on, in the
// order they came. Returns how many have been seen in all: the next `first`.
size_t PrintWindowsSeen(const Host& host, const DialogAnswerer& answerer, size_t first,
                        const std::string& indent);
void PrintMenu(const Host& host);

// The calls of extended editing's routines among the host's record, in
// order. Scene switches with nothing in between share a line, and a save or
// load joins the switches that led to it: "switch to scenes 2, 3, save ->
// ...\scene_3.exo".
void PrintExeditCalls(const std::vector<Call>& calls, const std::string& indent);
void PrintScenes(const StandinControl& control);

}  // namespace sandbox::tool
