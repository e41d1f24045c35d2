// The text conversions the sandbox host and its users share. Texts of the
// plug-in side are multibyte bytes in the ANSI code page (Shift_JIS for the
// Japanese ones); windows hold UTF-16; reports are UTF-8.
#pragma once

#include <string>

namespace sandbox {

// As the plug-in converts (WideCharToMultiByte without flags), in the
// process's ANSI code page: characters the code page lacks come out as
// look-alikes or its default character. A path as the plug-in hands it on,
// or a window's text as an ANSI function would read it back.
std::string Ansi(const std::wstring& wide);
std::string WideToUtf8(const std::wstring& wide);

}  // namespace sandbox
