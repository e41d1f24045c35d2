// Control block of the stand-in extended editing (sandbox/exedit), shared
// with the tests, the benchmark and trebbo-host. The stand-in exports
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

// One call of a routine, with every argument it was given and the scene that
// was current when it ran (before a scene switch took effect). Fields a
// routine does not take stay zero.
struct StandinCall {
  int routine;
  int current_scene;
  int scene;                   // ChangeScene
  FilterRecord* record;        // ChangeScene: extended editing's; Load: the caller's
  EditHandle edit;             // ChangeScene, Load
  int a, b;                    // Load
  char path[kStandinMaxPath];  // Save, Load: the ANSI path, cut if longer
  int result;                  // Save, Load: 1 when the file was written or read
};

struct StandinScene {
  int count;
  char objects[kStandinMaxObjects][kStandinMaxLabel];
};

// The object count of the current scene, at its fixed offset, is set anew at
// each scene switch and load; scenes written here directly show there from
// the next switch on.
struct StandinControl {
  int current_scene;
  StandinScene scenes[kStandinScenes];
  int call_count;  // may exceed kStandinMaxCalls; only the first are logged
  StandinCall calls[kStandinMaxCalls];
  int no_work;     // benchmark: scenes still switch, but no file and no log
  // Counts down at each scene switch; the switch that brings it to 0 renames
  // the record it was handed, as if the host had dropped extended editing
  // from its list in the middle of a command. 0: never.
  int switches_before_leaving;
};

using StandinGetControlFn = StandinControl*(__cdecl*)();
