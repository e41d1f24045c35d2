// The two menu commands: every scene out into one folder, and back in.
#pragma once

#include <string>

#include "host/host_api.h"

// Where the plug-in's filter table puts the "skip scenes without objects"
// checkbox among its checkboxes; the export reads its live value there.
constexpr int kCheckSkipEmptyScenesIndex = 0;

// Asks for a folder and writes the root scene and every scene 1 to 49 that
// the "skip scenes without objects" checkbox keeps, one object file each.
void ExportAllScenes(EditHandle edit, FilterRecord* own);
// Asks for a folder and loads each scene file found there into the scene of
// its number.
void ImportAllScenes(EditHandle edit, FilterRecord* own);

// The scene loops alone, for a folder already chosen; `scene_path_work` is
// the folder with its trailing "\". Both leave the editor on the root scene.
void ExportScenes(const std::string& scene_path_work, EditHandle edit,
                  FilterRecord* own);
void ImportScenes(const std::string& scene_path_work, EditHandle edit,
                  FilterRecord* own);
