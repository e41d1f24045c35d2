#include "sandbox/tool/sample_project.h"

#include <windows.h>

#include <vector>

#include "sandbox/tool/report.h"

namespace sandbox::tool {

void FillSampleProject(StandinControl& control) {
  struct SampleScene {
    int scene;
    std::vector<const char*> labels;  // Shift_JIS, as the editor keeps them
  };
  const SampleScene sample[] = {
      {0, {"動画ファイル「本編」", "音声ファイル「BGM」", "テキスト「タイトル」"}},
      {1, {"図形", "テキスト「第1章」"}},
      {3, {"画像ファイル「背景」"}},
      {10, {"シーン", "カメラ制御", "グループ制御"}},
  };
  for (StandinScene& scene : control.scenes) scene = StandinScene{};
  for (const SampleScene& entry : sample) {
    StandinScene& scene = control.scenes[entry.scene];
    for (const char* label : entry.labels) {
      lstrcpynA(scene.objects[scene.count++], label, kStandinMaxLabel);
    }
  }
  control.current_scene = 0;
  Print("sample project: objects in scenes 0, 1, 3 and 10");
}

}  // namespace sandbox::tool
