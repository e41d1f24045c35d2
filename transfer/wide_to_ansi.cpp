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

bool AnsiDecodesBackTo(const std::string& ansi, const std::wstring& text) {
  // The file system decodes an ANSI path exactly this way, so bytes that
  // decode back to the text name the folder it names and no other. Asking
  // WideCharToMultiByte instead (WC_NO_BEST_FIT_CHARS and the used-default
  // flag) would fail every path where the ANSI code page is UTF-8, which
  // refuses both.
  if (ansi.empty()) return text.empty();
  const int length = static_cast<int>(ansi.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  if (n <= 0) return false;
  std::wstring decoded(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, decoded.data(), n);
  return decoded == text;
}
