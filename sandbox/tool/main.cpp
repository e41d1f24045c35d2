// trebbo-host: the sandbox host as a program a person runs by hand. It loads
// plug-ins the way the editor does, chooses menu entries, answers the dialogs
// the commands open, and prints what happened, every text as UTF-8. Each step
// prints as it goes, so a step that fails still leaves on screen everything
// that led up to it.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sandbox/host/dialog_answerer.h"
#include "sandbox/host/find_standin.h"
#include "sandbox/host/paths.h"
#include "sandbox/host/process_windows.h"
#include "sandbox/host/sandbox_host.h"
#include "sandbox/host/text_conversion.h"
#include "sandbox/tool/options.h"
#include "sandbox/tool/report.h"

namespace {

using namespace sandbox::tool;

// Far longer than any session takes: only a window that nobody can answer
// keeps one running this long.
constexpr DWORD kSessionLimitMilliseconds = 60000;

void CALLBACK SessionTooLong(void*, BOOLEAN) {
  sandbox::EndStuckProcess("trebbo-host: the session did not end within 60 s",
                           kExitDialogStuck);
}

// The host, the person at its keyboard, and how many of the windows answered
// are on screen already.
struct Session {
  sandbox::DialogAnswerer answerer;
  sandbox::Host host;
  size_t windows_printed = 0;
};

void PrintNewWindows(Session& session) {
  session.windows_printed =
      PrintWindowsSeen(session.host, session.answerer, session.windows_printed, "  ");
}

// The plug-ins in order, each with its init callback; stops at the first
// that does not load.
bool LoadPlugins(Session& session, const std::vector<std::wstring>& paths) {
  for (const std::wstring& wide_path : paths) {
    // The host hands ANSI paths to LoadLibraryA, as the editor does; a path
    // the code page cannot spell is refused rather than mangled. Decoded
    // back the way the file system decodes it, the bytes must give the path.
    const std::string path = sandbox::Ansi(wide_path);
    if (sandbox::Wide(path, CP_ACP) != wide_path) {
      PrintError("the ANSI code page cannot spell " + sandbox::WideToUtf8(wide_path));
      return false;
    }
    const sandbox::LoadedFilter* filter = session.host.LoadPlugin(path);
    if (filter == nullptr) {
      PrintError(sandbox::AnsiToUtf8(session.host.last_error()));
      return false;
    }
    PrintLoadedFilter(*filter);
  }
  return true;
}

// Replaces every scene with a small project whose non-empty scenes are not
// all adjacent, so an export shows both skipped and joined scene switches.
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

// False only when no menu entry has this id.
bool RunCommand(Session& session, int id, StandinControl* standin) {
  const sandbox::Call* entry = session.host.FindMenuEntry(id);
  if (entry == nullptr) {
    PrintError("no menu entry with id " + std::to_string(id));
    return false;
  }
  Print("");
  Print("run " + std::to_string(id) + " " + sandbox::ShiftJisToUtf8(entry->text));
  // Each command's calls from the start of the record.
  session.host.calls().clear();
  const BOOL result = session.host.ChooseMenu(id);
  PrintNewWindows(session);
  if (standin != nullptr) {
    PrintExeditCalls(session.host.calls(), "  ");
    Print("  editor ends on scene " + std::to_string(standin->current_scene));
  }
  Print(std::string("  callback returned ") +
        (result ? "TRUE" : "FALSE (normal: the plug-in answers every message with FALSE)"));
  return true;
}

// The exit status of a session that ends with `otherwise`: a plug-in that
// failed comes first, since it explains whatever else went wrong. An init
// that returned FALSE counts only while the plug-in has added no menu entry:
// one started before what it needs may still be armed by the init message.
int ExitStatus(const sandbox::Host& host, int otherwise) {
  std::string failed;
  for (const auto& filter : host.filters()) {
    const bool armed = std::any_of(
        host.menu().begin(), host.menu().end(),
        [&filter](const sandbox::Call& entry) { return entry.record == &filter->record; });
    if (filter->init_result || armed) continue;
    failed += (failed.empty() ? "" : ", ") +
              sandbox::AnsiToUtf8(sandbox::FileNameOf(filter->path));
  }
  if (failed.empty()) return otherwise;
  PrintError("init returned FALSE for " + failed + ", and no menu entry came after (see above)");
  return kExitPluginFailed;
}

int RunSession(const Options& options) {
  HANDLE deadline = nullptr;
  CreateTimerQueueTimer(&deadline, nullptr, &SessionTooLong, nullptr,
                        kSessionLimitMilliseconds, 0, WT_EXECUTEONLYONCE);
  Session session;
  sandbox::Host& host = session.host;
  if (!LoadPlugins(session, options.plugins)) return kExitPluginFailed;
  host.SendInit();
  Print("init message sent");
  PrintNewWindows(session);
  PrintMenu(host);

  StandinControl* const standin = sandbox::FindStandin(host);
  if ((options.sample_project || options.print_scenes) && standin == nullptr) {
    PrintError("the stand-in extended editing (exedit.auf of the sandbox) is not loaded");
    return ExitStatus(host, kExitCannotServe);
  }
  if (options.sample_project) FillSampleProject(*standin);

  // The answers are for whichever folder dialogs come, in order; a dialog
  // beyond them is cancelled and reported.
  for (const std::wstring& folder : options.answers) {
    session.answerer.ExpectFolderDialog("", folder);
  }
  for (int id : options.runs) {
    if (!RunCommand(session, id, standin)) return ExitStatus(host, kExitCannotServe);
  }
  if (options.print_scenes) {
    Print("");
    PrintScenes(*standin);
  }
  return ExitStatus(host, kExitDone);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  std::string error;
  if (!ParseArguments(argc, argv, options, error)) {
    PrintError(error + " (the README's \"The sandbox host\" lists the options)");
    return kExitUsage;
  }
  return RunSession(options);
}
