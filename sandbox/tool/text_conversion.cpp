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
  ansi.clear();
  if (wide.empty()) return true;
  const int length = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  const int byte_length = WideCharToMultiByte(
      CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, nullptr, &lossy);
  if (byte_length <= 0 || lossy) return false;
  ansi.resize(static_cast<size_t>(byte_length));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, &ansi[0],
                      byte_length, nullptr, nullptr);
  return true;
}

}  // namespace sandbox::tool
