// Plain Win32 file calls and the system's wsprintfA: this code shares the
// module with the fixed-offset routine area, below which .text, .data and
// .rdata must stay (see standin_exedit.cpp).
#include "sandbox/exedit/standin_exo_file.h"

#include <windows.h>

#include <cstring>

namespace sandbox::standin {
namespace {

constexpr char kHeader[] = "[standin-exo]\r\n";
constexpr char kObjectKey[] = "object=";
constexpr DWORD kMaxFileSize = 16 * 1024;

// The header, the scene line and every object line of a full scene.
static_assert(sizeof kHeader + 20 + kStandinMaxObjects * (sizeof kObjectKey + kStandinMaxLabel + 2) <
                  kMaxFileSize,
              "a full scene must fit the file buffer");

}  // namespace

int WriteExoFile(const char* path, int scene_number, const StandinScene& scene) {
  char text[kMaxFileSize];
  int size = wsprintfA(text, "%sscene=%d\r\n", kHeader, scene_number);
  for (int i = 0; i < scene.count; ++i) {
    size += wsprintfA(text + size, "%s%s\r\n", kObjectKey, scene.objects[i]);
  }
  const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, text, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  return wrote && written == static_cast<DWORD>(size) ? 1 : 0;
}

int AppendExoFile(const char* path, StandinScene& scene) {
  char text[kMaxFileSize + 1];
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD size = 0;
  const BOOL read = ReadFile(file, text, kMaxFileSize, &size, nullptr);
  CloseHandle(file);
  text[size] = '\0';
  if (!read || std::strncmp(text, kHeader, sizeof kHeader - 1) != 0) return 0;
  // Each line that starts with the object key is one object.
  for (char* line = text; line != nullptr && scene.count < kStandinMaxObjects;) {
    char* const end = std::strstr(line, "\r\n");
    if (end != nullptr) *end = '\0';
    if (std::strncmp(line, kObjectKey, sizeof kObjectKey - 1) == 0) {
      lstrcpynA(scene.objects[scene.count++], line + sizeof kObjectKey - 1, kStandinMaxLabel);
    }
    line = end != nullptr ? end + 2 : nullptr;
  }
  return 1;
}

}  // namespace sandbox::standin
