#include "sandbox/host/text_conversion.h"

namespace sandbox {
namespace {

std::wstring ToWide(const std::string& bytes, UINT code_page) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());
  const int wide_length =
      MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  if (wide_length <= 0) return {};
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), length, &wide[0], wide_length);
  return wide;
}

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

void WriteTo(DWORD std_handle, const std::string& utf8) {
  if (utf8.empty()) return;
  HANDLE out = GetStdHandle(std_handle);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) {
    const std::wstring wide = ToWide(utf8, CP_UTF8);
    DWORD written = 0;
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written,
                  nullptr);
    return;
  }
  // Pipes and files: pass the bytes through, in as many writes as it takes.
  const char* next = utf8.data();
  DWORD left = static_cast<DWORD>(utf8.size());
  while (left > 0) {
    DWORD written = 0;
    if (!WriteFile(out, next, left, &written, nullptr) || written == 0) return;
    next += written;
    left -= written;
  }
}

}  // namespace

std::string MultiByteToUtf8(const std::string& bytes, UINT code_page) {
  return FromWide(ToWide(bytes, code_page), CP_UTF8);
}

std::string ShiftJisToUtf8(const std::string& bytes) {
  return MultiByteToUtf8(bytes, kShiftJisCodePage);
}

std::string WideToUtf8(const std::wstring& text) {
  return FromWide(text, CP_UTF8);
}

std::string Utf8ToShiftJis(const std::string& utf8) {
  return FromWide(ToWide(utf8, CP_UTF8), kShiftJisCodePage);
}

void WriteUtf8(const std::string& utf8) { WriteTo(STD_OUTPUT_HANDLE, utf8); }

void WriteUtf8Error(const std::string& utf8) { WriteTo(STD_ERROR_HANDLE, utf8); }

}  // namespace sandbox
