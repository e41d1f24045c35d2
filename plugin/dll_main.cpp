#include <windows.h>

#include <clocale>

// The runtime's multibyte handling follows the user's code page (Shift_JIS
// on a Japanese system) rather than the "C" locale it starts in.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) std::setlocale(LC_CTYPE, "");
  return TRUE;
}
