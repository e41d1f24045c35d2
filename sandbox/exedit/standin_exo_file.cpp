// Plain Win32 file calls and no C runtime formatting: this code shares the
// module with the fixed-offset routine area, below which .text, .data and
// .rdata must stay (see standin_exedit.cpp).
#include "sandbox/exedit/standin_exo_file.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

namespace sandbox::standin {
namespace {

constexpr char kExoHeader[] = "[standin-exo]";
constexpr char kExoSceneKey[] = "scene=";
constexpr char kExoObjectKey[] = "object=";
constexpr size_t kObjectKeyLength = sizeof kExoObjectKey - 1;
constexpr DWORD kMaxExoFileSize = 16 * 1024;

// The header and scene lines take at most 34 bytes; every object line fits
// behind them, so writing needs no bounds check.
static_assert(34 + kStandinMaxObjects * (kObjectKeyLength + kStandinMaxLabel + 1) <=
                  kMaxExoFileSize,
              "a full scene must fit the file buffer");

// A label is the bytes up to its NUL, at most kStandinMaxLabel - 1 of them.
size_t LabelLength(const char* label) {
  const void* nul = std::memchr(label, '\0', kStandinMaxLabel);
  return nul ? static_cast<const char*>(nul) - label : kStandinMaxLabel - 1;
}

bool WriteWholeFile(const char* path, const char* bytes, size_t size) {
  const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL wrote =
      WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
  const BOOL closed = CloseHandle(file);
  if (wrote && closed && written == size) return true;
  DeleteFileA(path);
  return false;
}

// False for a missing file and for one larger than the buffer.
bool ReadWholeFile(const char* path, char (&bytes)[kMaxExoFileSize], size_t& size) {
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER file_size{};
  bool ok = GetFileSizeEx(file, &file_size) && file_size.QuadPart >= 0 &&
            file_size.QuadPart <= static_cast<LONGLONG>(sizeof bytes);
  DWORD read = 0;
  if (ok) {
    ok = ReadFile(file, bytes, static_cast<DWORD>(file_size.QuadPart), &read, nullptr) &&
         read == file_size.QuadPart;
  }
  CloseHandle(file);
  size = read;
  return ok;
}

struct Line {
  const char* begin;
  size_t length;
};

// Lines end in LF with an optional CR before it; the last may have no end.
bool NextLine(const char*& cursor, const char* end, Line& line) {
  if (cursor == end) return false;
  const char* lf = static_cast<const char*>(std::memchr(cursor, '\n', end - cursor));
  const char* line_end = lf ? lf : end;
  line = {cursor, static_cast<size_t>(line_end - cursor)};
  if (lf && line.length > 0 && line_end[-1] == '\r') --line.length;
  cursor = lf ? lf + 1 : end;
  return true;
}

// When the line starts with key, the rest of it becomes value.
bool SplitKey(const Line& line, const char* key, Line& value) {
  const size_t key_length = std::strlen(key);
  if (line.length < key_length || std::memcmp(line.begin, key, key_length) != 0)
    return false;
  value = {line.begin + key_length, line.length - key_length};
  return true;
}

bool IsDecimal(const Line& text) {
  if (text.length == 0 || text.length > 9) return false;
  for (size_t i = 0; i < text.length; ++i)
    if (text.begin[i] < '0' || text.begin[i] > '9') return false;
  return true;
}

}  // namespace

bool WriteExoFile(const char* path, int scene_number,
                  const char (*labels)[kStandinMaxLabel], int count) {
  char text[kMaxExoFileSize];
  size_t size = static_cast<size_t>(
      wsprintfA(text, "%s\r\n%s%d\r\n", kExoHeader, kExoSceneKey, scene_number));
  for (int i = 0; i < count; ++i) {
    const char* label = labels[i];
    const size_t length = LabelLength(label);
    if (std::memchr(label, '\r', length) || std::memchr(label, '\n', length))
      return false;
    std::memcpy(text + size, kExoObjectKey, kObjectKeyLength);
    size += kObjectKeyLength;
    std::memcpy(text + size, label, length);
    size += length;
    std::memcpy(text + size, "\r\n", 2);
    size += 2;
  }
  return WriteWholeFile(path, text, size);
}

bool ReadExoFile(const char* path, ParsedObjects& objects) {
  char bytes[kMaxExoFileSize];
  size_t size = 0;
  if (!ReadWholeFile(path, bytes, size) || std::memchr(bytes, '\0', size)) return false;
  const char* cursor = bytes;
  const char* const end = bytes + size;
  Line line{};
  Line value{};
  if (!NextLine(cursor, end, line) || !SplitKey(line, kExoHeader, value) ||
      value.length != 0)
    return false;
  if (!NextLine(cursor, end, line) || !SplitKey(line, kExoSceneKey, value) ||
      !IsDecimal(value))
    return false;
  objects.count = 0;
  while (NextLine(cursor, end, line)) {
    if (!SplitKey(line, kExoObjectKey, value)) return false;
    if (value.length >= kStandinMaxLabel) return false;
    if (objects.count == kStandinMaxObjects) return false;
    char* label = objects.labels[objects.count++];
    std::memcpy(label, value.begin, value.length);
    std::memset(label + value.length, 0, kStandinMaxLabel - value.length);
  }
  return true;
}

}  // namespace sandbox::standin
