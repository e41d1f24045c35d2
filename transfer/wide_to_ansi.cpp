#include "transfer/wide_to_ansi.h"

#include <windows.h>

std::string WideToAnsi(const std::wstring& text) {
  // The length is passed explicitly so that the terminator is neither
  // converted nor counted. An empty text makes the first call fail with 0;
  // the second call then only measures again and writes nothing.
  const int length = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0,
                                    nullptr, nullptr);
  std::string result(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), length, result.data(), n, nullptr,
                      nullptr);
  return result;
}
