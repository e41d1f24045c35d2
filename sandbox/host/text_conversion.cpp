#include "sandbox/host/text_conversion.h"

namespace sandbox {
namespace {

// `lossy`, when given, asks the system to say whether it had to substitute.
std::string FromWide(const std::wstring& wide, UINT code_page, DWORD flags,
                     BOOL* lossy) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int byte_length = WideCharToMultiByte(code_page, flags, wide.data(), length,
                                              nullptr, 0, nullptr, lossy);
  if (byte_length <= 0) return {};
  std::string bytes(static_cast<size_t>(byte_length), '\0');
  WideCharToMultiByte(code_page, flags, wide.data(), length, &bytes[0], byte_length,
                      nullptr, nullptr);
  return bytes;
}

}  // namespace

std::string WideToMultiByte(const std::wstring& wide, UINT code_page) {
  return FromWide(wide, code_page, 0, nullptr);
}

std::string Ansi(const std::wstring& wide) { return WideToMultiByte(wide, CP_ACP); }

bool AnsiExactly(const std::wstring& wide, std::string& ansi) {
  BOOL lossy = FALSE;
  ansi = FromWide(wide, CP_ACP, WC_NO_BEST_FIT_CHARS, &lossy);
  return !lossy && ansi.empty() == wide.empty();
}

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

std::string MultiByteToUtf8(const std::string& bytes, UINT code_page) {
  return WideToUtf8(MultiByteToWide(bytes, code_page));
}

std::string ShiftJisToUtf8(const std::string& bytes) {
  return MultiByteToUtf8(bytes, kShiftJisCodePage);
}

std::string WideToUtf8(const std::wstring& wide) {
  return WideToMultiByte(wide, CP_UTF8);
}

std::string Utf8ToShiftJis(const std::string& utf8) {
  return WideToMultiByte(MultiByteToWide(utf8, CP_UTF8), kShiftJisCodePage);
}

}  // namespace sandbox
