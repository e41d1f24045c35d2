#include "sandbox/tool/sample_project.h"

#include <windows.h>

#include <string>
#include <vector>

#include "sandbox/host/text_conversion.h"
#include "sandbox/tool/report.h"

namespace sandbox::tool {

void FillSampleProject(const Standin& standin) {
  struct SampleScene {
    int scene;
    std::vector<const char*> labels;  // UTF-8
  };
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
      const std::string sjis = Utf8ToShiftJis(label);
      lstrcpynA(scene.objects[scene.count++], sjis.c_str(), kStandinMaxLabel);
    }
  }
  control.current_scene = 0;
  standin.sync();
  Print("sample project: objects in scenes 0, 1, 3 and 10");
}

}  // namespace sandbox::tool
