// Control block of the stand-in extended editing (sandbox/exedit), shared
// with the sandbox host, the tests and the benchmark. The stand-in exports
// StandinGetControl(); everything else is plain data read and written
// directly by the test side.
#pragma once

#include "host/host_api.h"

// Offsets of the stand-in's entry points from its module base; they are the
// ones the plug-in calls.
constexpr unsigned kStandinSaveOffset = 0x284D0;
constexpr unsigned kStandinChangeSceneOffset = 0x2BA60;
constexpr unsigned kStandinLoadOffset = 0x4DCA0;
constexpr unsigned kStandinObjectCountOffset = 0x15918C;

constexpr int kStandinScenes = 50;
constexpr int kStandinMaxObjects = 64;
constexpr int kStandinMaxLabel = 64;
constexpr int kStandinMaxCalls = 1024;
constexpr int kStandinMaxPath = 600;

enum StandinRoutine : int {
  kStandinChangeScene = 1,
  kStandinSave = 2,
  kStandinLoad = 3,
};

// One call of a routine, with the arguments it was given and the scene that
// was current when it ran (before a scene switch took effect).
struct StandinCall {
  int routine;
  int current_scene;
  int scene;               // ChangeScene
  FilterRecord* filter;    // ChangeScene: the record it was handed
  EditHandle edit;         // ChangeScene, Load
  int a, b;                // Load
  FilterRecord* caller;    // Load
  char path[kStandinMaxPath];  // Save, Load: the ANSI path, cut if longer
  int path_length;         // full length of the path in bytes
  int result;
};

struct StandinScene {
  int count;
  char objects[kStandinMaxObjects][kStandinMaxLabel];
};

struct StandinControl {
  int current_scene;
  StandinScene scenes[kStandinScenes];
  int call_count;  // may exceed kStandinMaxCalls; only the first are kept
  StandinCall calls[kStandinMaxCalls];
  int no_work;     // benchmark: routines only count, no files, no log
  int calls_by_routine[kStandinLoad + 1];  // by StandinRoutine, in both modes
};

using StandinGetControlFn = StandinControl*(__cdecl*)();
// Call after changing scenes[] or current_scene directly, so that the object
// count at kStandinObjectCountOffset matches again.
using StandinSyncFn = void(__cdecl*)();
