// The link to extended editing 0.92. It offers no interface to other
// plug-ins, so its scene switch, object-file load and save routines and its
// object count of the current scene are reached at fixed offsets from the
// base of its loaded module. The offsets hold for version 0.92 only; the
// commands that use the link are armed only after that version was found.
#pragma once

#include <windows.h>

#include "host/host_api.h"

class ExeditLink {
 public:
  // Finds the already loaded exedit.auf (it is never loaded from here) and
  // computes every entry point. Once resolved, the link stays resolved.
  static bool Resolve();
  static bool IsResolved();

  // Makes `scene` the current scene of extended editing.
  static int ChangeScene(int scene, FilterRecord* exedit, EditHandle edit);
  // Reads the object file at `path` into the current scene.
  static int LoadExo(const char* path, int a, int b, FilterRecord* caller,
                     EditHandle edit);
  // Writes the current scene as an object file at `path`.
  static int SaveExo(const char* path);
  // Objects on the timeline of the current scene, read anew on every call.
  static int ObjectCount();
};

// Offsets from extended editing 0.92's module base.
constexpr DWORD kExeditObjectCountOffset = 0x15918C;
constexpr DWORD kExeditLoadExoOffset = 0x4DCA0;
constexpr DWORD kExeditSaveExoOffset = 0x284D0;
constexpr DWORD kExeditChangeSceneOffset = 0x2BA60;
