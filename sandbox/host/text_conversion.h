// Texts of the plug-in side are multibyte bytes (Shift_JIS for the Japanese
// ones); the terminal that shows the sandbox host's output speaks UTF-8. These
// helpers convert with an explicit code page, so the output does not depend
// on the ANSI code page the process happens to run under.
#pragma once

#include <windows.h>

#include <string>

namespace sandbox {

constexpr UINT kShiftJisCodePage = 932;

// Bytes in `code_page` (CP_ACP for the process's own) as UTF-8. Bytes that
// do not decode come out as the code page's replacement character.
std::string MultiByteToUtf8(const std::string& bytes, UINT code_page);
std::string ShiftJisToUtf8(const std::string& bytes);
std::string WideToUtf8(const std::wstring& text);

// UTF-8 as Shift_JIS bytes, for texts the host hands to plug-ins; characters
// Shift_JIS lacks become '?'.
std::string Utf8ToShiftJis(const std::string& utf8);

// Writes UTF-8 to the standard output (or error) as it is. A console that
// would reinterpret the bytes in its own code page is written in UTF-16
// instead, so the same characters appear either way.
void WriteUtf8(const std::string& utf8);
void WriteUtf8Error(const std::string& utf8);

}  // namespace sandbox
