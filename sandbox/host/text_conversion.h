// The one set of text conversions of the sandbox, for the host, the tests,
// the benchmark and trebbo-host alike. Texts of the plug-in side are
// multibyte bytes in the ANSI code page (Shift_JIS for the Japanese ones);
// windows hold UTF-16; the terminal speaks UTF-8. Each conversion names its
// code page, so nothing depends on the code page the process runs under
// unless it says CP_ACP.
#pragma once

#include <windows.h>

#include <string>

namespace sandbox {

constexpr UINT kShiftJisCodePage = 932;

// As the plug-in converts (WideCharToMultiByte without flags): characters
// the code page lacks come out as look-alikes or its default character.
std::string WideToMultiByte(const std::wstring& wide, UINT code_page);
// The same in the process's ANSI code page: a path as the plug-in hands it
// on, or a window's text as an ANSI function would read it back.
std::string Ansi(const std::wstring& wide);
// False when the ANSI code page cannot spell `wide` exactly, where Ansi()
// would have put a look-alike in.
bool AnsiExactly(const std::wstring& wide, std::string& ansi);
std::wstring MultiByteToWide(const std::string& bytes, UINT code_page);

// Bytes that do not decode come out as the code page's replacement character.
std::string MultiByteToUtf8(const std::string& bytes, UINT code_page);
std::string ShiftJisToUtf8(const std::string& bytes);
std::string WideToUtf8(const std::wstring& wide);
// Characters Shift_JIS lacks become '?'.
std::string Utf8ToShiftJis(const std::string& utf8);

}  // namespace sandbox
