#include "sandbox/tool/text_conversion.h"

namespace sandbox::tool {

std::wstring MultiByteToWide(const std::string& bytes, UINT code_page) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());
  const int wide_length =
      MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  if (wide_length <= 0) return {};
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), length, &wide[0], wide_length);
  return wide;
}

std::string ShiftJisToUtf8(const std::string& bytes) {
  return WideToUtf8(MultiByteToWide(bytes, 932));
}

std::string AnsiToUtf8(const std::string& bytes) {
  return WideToUtf8(MultiByteToWide(bytes, CP_ACP));
}

bool AnsiExactly(const std::wstring& wide, std::string& ansi) {
  // Decoded back the way the file system decodes an ANSI path: bytes that
  // give the same text name the same file. Asking WideCharToMultiByte
  // instead (WC_NO_BEST_FIT_CHARS and the used-default flag) would refuse
  // every path where the ANSI code page is UTF-8, which accepts neither.
  ansi = Ansi(wide);
  return MultiByteToWide(ansi, CP_ACP) == wide;
}

}  // namespace sandbox::tool
