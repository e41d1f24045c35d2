// UTF-16 to the system's ANSI code page, the form in which the plug-in hands
// paths to the host and to extended editing.
#pragma once

#include <string>

// Characters the code page lacks come back as its best-fit or default
// character; the conversion never fails on them. The result's length counts
// bytes and holds no terminating NUL.
std::string WideToAnsi(const std::wstring& text);
