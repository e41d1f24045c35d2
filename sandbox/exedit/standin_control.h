// Control block of the stand-in extended editing (sandbox/exedit), shared
// with the sandbox host, the tests, the benchmark and trebbo-host. The
// stand-in exports StandinGetControl(); everything else is plain data read
// and written directly by the other side.
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

enum StandinRoutine : int {
  kStandinChangeScene = 1,
  kStandinSave = 2,
  kStandinLoad = 3,
};

// One call of a routine, with every argument it was given. Fields a routine
// does not take stay zero.
struct StandinCall {
  int routine;
  int scene;             // ChangeScene: the scene asked for; Save, Load: the current one
  FilterRecord* record;  // ChangeScene: extended editing's; Load: the caller's
  EditHandle edit;       // ChangeScene, Load
  int a, b;              // Load
  const char* path;      // Save, Load: valid during the report only
};
using StandinReportFn = void(__cdecl*)(const StandinCall* call);

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
  // Told of every routine call as it is made, by whomever; the sandbox host
  // sets it when it loads the stand-in. Null: nobody is told.
  StandinReportFn report;
  int no_work;  // benchmark: scenes still switch, but no file is read or written
};

using StandinGetControlFn = StandinControl*(__cdecl*)();
