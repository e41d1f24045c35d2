// The conversions trebbo-host needs beyond the sandbox host's own
// (sandbox/host/text_conversion.h): reading the plug-in's Shift_JIS and the
// process's ANSI texts as UTF-8, and checking that a path survives the ANSI
// code page.
#pragma once

#include <windows.h>

#include <string>

#include "sandbox/host/text_conversion.h"

namespace sandbox::tool {

// Bytes that do not decode come out as the code page's replacement character.
std::wstring MultiByteToWide(const std::string& bytes, UINT code_page);
std::string ShiftJisToUtf8(const std::string& bytes);
std::string AnsiToUtf8(const std::string& bytes);

// False when the ANSI code page cannot spell `wide` exactly, where Ansi()
// would have put a look-alike in.
bool AnsiExactly(const std::wstring& wide, std::string& ansi);

}  // namespace sandbox::tool
