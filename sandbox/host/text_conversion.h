// The text conversions the sandbox shares. Texts of the plug-in side are
// multibyte bytes in the ANSI code page (the plug-ins' own texts Shift_JIS);
// windows hold UTF-16; reports are UTF-8.
#pragma once

#include <windows.h>

#include <string>

namespace sandbox {

// As the plug-in converts (WideCharToMultiByte without flags), in the
// process's ANSI code page: characters the code page lacks come out as
// look-alikes or its default character. A path as the plug-in hands it on,
// or a window's text as an ANSI function would read it back.
std::string Ansi(const std::wstring& wide);
// Bytes that do not decode come out as the code page's replacement character.
std::wstring Wide(const std::string& bytes, UINT code_page);
std::string WideToUtf8(const std::wstring& wide);

inline std::string ShiftJisToUtf8(const std::string& bytes) {
  return WideToUtf8(Wide(bytes, 932));
}
inline std::string AnsiToUtf8(const std::string& bytes) {
  return WideToUtf8(Wide(bytes, CP_ACP));
}

}  // namespace sandbox
