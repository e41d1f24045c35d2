#include "sandbox/host/standin_project.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "sandbox/host/cli_report.h"
#include "sandbox/host/text_conversion.h"

namespace sandbox::cli {
namespace {

struct SampleScene {
  int scene;
  std::vector<const char*> labels;  // UTF-8
};

}  // namespace

void FillSampleProject(const Standin& standin) {
  const SampleScene sample[] = {
      {0, {u8"動画ファイル「本編」", u8"音声ファイル「BGM」", u8"テキスト「タイトル」"}},
      {1, {u8"図形", u8"テキスト「第1章」"}},
      {3, {u8"画像ファイル「背景」"}},
      {10, {u8"シーン", u8"カメラ制御", u8"グループ制御"}},
  };
  StandinControl& control = *standin.control;
  for (StandinScene& scene : control.scenes) scene = StandinScene{};
  for (const SampleScene& entry : sample) {
    StandinScene& scene = control.scenes[entry.scene];
    for (const char* label : entry.labels) {
      const std::string sjis = sandbox::Utf8ToShiftJis(label);
      lstrcpynA(scene.objects[scene.count++], sjis.c_str(), kStandinMaxLabel);
    }
  }
  control.current_scene = 0;
  standin.sync();
  Print("sample project: objects in scenes 0, 1, 3 and 10");
}

void PrintScenes(const StandinControl& control) {
  Print("scenes of extended editing (current: " +
        std::to_string(control.current_scene) + "):");
  bool any = false;
  for (int i = 0; i < kStandinScenes; ++i) {
    const StandinScene& scene = control.scenes[i];
    if (scene.count <= 0) continue;
    any = true;
    const int count = scene.count < kStandinMaxObjects ? scene.count
                                                       : kStandinMaxObjects;
    std::string line = "  scene " + std::to_string(i) + (i == 0 ? " (root)" : "") + ":";
    for (int j = 0; j < count; ++j) {
      const std::string label(scene.objects[j],
                              strnlen(scene.objects[j], kStandinMaxLabel));
      line += (j == 0 ? " " : ", ") + sandbox::ShiftJisToUtf8(label);
    }
    Print(line);
  }
  if (!any) Print("  every scene is empty");
}

}  // namespace sandbox::cli
