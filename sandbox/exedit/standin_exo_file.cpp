// Plain Win32 file calls and hand-rolled formatting: this code shares the
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
constexpr char kLineEnd[] = "\r\n";
constexpr DWORD kMaxExoFileSize = 16 * 1024;  // a full scene needs under 5 KiB

// ---------------------------------------------------------------------------
// Writing

struct TextBuffer {
  char bytes[8 * 1024];
  size_t size;
  bool overflowed;
};

void Append(TextBuffer& text, const char* bytes, size_t length) {
  if (length > sizeof text.bytes - text.size) {
    text.overflowed = true;
    return;
  }
  std::memcpy(text.bytes + text.size, bytes, length);
  text.size += length;
}

void AppendString(TextBuffer& text, const char* s) {
  Append(text, s, std::strlen(s));
}

void AppendDecimal(TextBuffer& text, int value) {
  char digits[12];
  size_t start = sizeof digits;
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value)
                                 : static_cast<unsigned>(value);
  do {
    digits[--start] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits[--start] = '-';
  Append(text, digits + start, sizeof digits - start);
}

// A label is the bytes up to its NUL, at most kStandinMaxLabel - 1 of them.
size_t LabelLength(const char* label) {
  const void* nul = std::memchr(label, '\0', kStandinMaxLabel);
  return nul ? static_cast<const char*>(nul) - label : kStandinMaxLabel - 1;
}

bool FormatExo(int scene_number, const char (*labels)[kStandinMaxLabel],
               int count, TextBuffer& text) {
  AppendString(text, kExoHeader);
  AppendString(text, kLineEnd);
  AppendString(text, kExoSceneKey);
  AppendDecimal(text, scene_number);
  AppendString(text, kLineEnd);
  for (int i = 0; i < count; ++i) {
    const char* label = labels[i];
    const size_t length = LabelLength(label);
    if (std::memchr(label, '\r', length) || std::memchr(label, '\n', length))
      return false;
    AppendString(text, kExoObjectKey);
    Append(text, label, length);
    AppendString(text, kLineEnd);
  }
  return !text.overflowed;
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

// ---------------------------------------------------------------------------
// Reading

struct FileBytes {
  char bytes[kMaxExoFileSize];
  size_t size;
};

bool ReadWholeFile(const char* path, FileBytes& file_bytes) {
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
            size.QuadPart <= static_cast<LONGLONG>(sizeof file_bytes.bytes);
  DWORD read = 0;
  if (ok) {
    ok = ReadFile(file, file_bytes.bytes, static_cast<DWORD>(size.QuadPart),
                  &read, nullptr) &&
         read == size.QuadPart;
  }
  CloseHandle(file);
  file_bytes.size = read;
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
  line.begin = cursor;
  line.length = line_end - cursor;
  if (lf && line.length > 0 && line_end[-1] == '\r') --line.length;
  cursor = lf ? lf + 1 : end;
  return true;
}

bool LineIs(const Line& line, const char* text) {
  const size_t length = std::strlen(text);
  return line.length == length && std::memcmp(line.begin, text, length) == 0;
}

// When the line starts with key, the rest of it becomes value.
bool SplitKey(const Line& line, const char* key, Line& value) {
  const size_t key_length = std::strlen(key);
  if (line.length < key_length || std::memcmp(line.begin, key, key_length) != 0)
    return false;
  value.begin = line.begin + key_length;
  value.length = line.length - key_length;
  return true;
}

bool IsDecimal(const Line& text) {
  if (text.length == 0 || text.length > 9) return false;
  for (size_t i = 0; i < text.length; ++i)
    if (text.begin[i] < '0' || text.begin[i] > '9') return false;
  return true;
}

bool ParseExo(const FileBytes& file, ParsedObjects& objects) {
  if (std::memchr(file.bytes, '\0', file.size)) return false;
  const char* cursor = file.bytes;
  const char* const end = file.bytes + file.size;
  Line line{};
  Line value{};
  if (!NextLine(cursor, end, line) || !LineIs(line, kExoHeader)) return false;
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

}  // namespace

bool WriteExoFile(const char* path, int scene_number,
                  const char (*labels)[kStandinMaxLabel], int count) {
  TextBuffer text{};
  if (!FormatExo(scene_number, labels, count, text)) return false;
  return WriteWholeFile(path, text.bytes, text.size);
}

bool ReadExoFile(const char* path, ParsedObjects& objects) {
  FileBytes file;
  return ReadWholeFile(path, file) && ParseExo(file, objects);
}

}  // namespace sandbox::standin
