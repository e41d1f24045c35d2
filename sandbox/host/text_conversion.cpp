#include "sandbox/host/text_conversion.h"

namespace sandbox {
namespace {

std::string FromWide(const std::wstring& wide, UINT code_page) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int byte_length = WideCharToMultiByte(code_page, 0, wide.data(), length,
                                              nullptr, 0, nullptr, nullptr);
  if (byte_length <= 0) return {};
  std::string bytes(static_cast<size_t>(byte_length), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), length, &bytes[0], byte_length,
                      nullptr, nullptr);
  return bytes;
}

}  // namespace

std::string Ansi(const std::wstring& wide) { return FromWide(wide, CP_ACP); }

std::string WideToUtf8(const std::wstring& wide) { return FromWide(wide, CP_UTF8); }

std::wstring Wide(const std::string& bytes, UINT code_page) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());
  const int wide_length = MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  if (wide_length <= 0) return {};
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), length, &wide[0], wide_length);
  return wide;
}

}  // namespace sandbox
