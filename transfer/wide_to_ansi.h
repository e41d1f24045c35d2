// UTF-16 to the system's ANSI code page, the form in which the plug-in hands
// paths to the host and to extended editing.
#pragma once

#include <string>

// Characters the code page lacks come back as its best-fit or default
// character (under 1252 "tāg" becomes "tag", under 932 "¥" a backslash); the
// conversion never fails on them. The result's length counts bytes and holds
// no terminating NUL.
std::string WideToAnsi(const std::wstring& text);

// True when `ansi` decodes from the ANSI code page back to exactly `text`,
// that is when it names the same file or folder and no look-alike.
bool AnsiDecodesBackTo(const std::string& ansi, const std::wstring& text);
