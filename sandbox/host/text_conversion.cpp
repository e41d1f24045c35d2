#include "sandbox/host/text_conversion.h"

#include <windows.h>

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

}  // namespace sandbox
