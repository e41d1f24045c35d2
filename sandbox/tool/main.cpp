// trebbo-host: the sandbox host as a program a person runs by hand. It loads
// plug-ins the way the editor does, chooses menu entries, answers the dialogs
// the commands open, and prints what happened, every text as UTF-8. Each step
// prints as it goes, so a step that fails still leaves on screen everything
// that led up to it.
#include <string>
#include <vector>

#include "sandbox/host/find_standin.h"
#include "sandbox/host/paths.h"
#include "sandbox/host/sandbox_host.h"
#include "sandbox/host/text_conversion.h"
#include "sandbox/tool/options.h"
#include "sandbox/tool/report.h"
#include "sandbox/tool/sample_project.h"

namespace {

using namespace sandbox::tool;

class Session {
 public:
  // The plug-ins in order, each with its init callback. Stops at the first
  // that does not load; an init that returns FALSE is remembered, not fatal.
  bool LoadPlugins(const std::vector<std::wstring>& paths) {
    for (const std::wstring& wide_path : paths) {
      // The host hands ANSI paths to LoadLibraryA, as the editor does; a
      // path the code page cannot spell is refused rather than mangled.
      std::string path;
      if (!sandbox::AnsiExactly(wide_path, path)) {
        PrintError("the ANSI code page cannot spell " + sandbox::WideToUtf8(wide_path));
        return false;
      }
      const sandbox::LoadedFilter* filter = host_.LoadPlugin(path);
      if (filter != nullptr) PrintLoadedFilter(*filter);
      PrintNewWindows();
      if (filter == nullptr) {
        PrintError(sandbox::MultiByteToUtf8(host_.last_error(), CP_ACP));
        return false;
      }
      if (filter->init_called && !filter->init_result) {
        failed_inits_.push_back(sandbox::MultiByteToUtf8(sandbox::FileNameOf(path), CP_ACP));
      }
    }
    return true;
  }

  void SendInit() {
    host_.SendInit();
    Print("init message sent");
    PrintNewWindows();
    PrintMenu(host_);
  }

  bool SetCheckbox(int value) {
    sandbox::LoadedFilter* trebbo = host_.Find("trebbo.auf");
    if (trebbo == nullptr || trebbo->check_values.empty()) {
      PrintError("--checkbox: trebbo.auf with a checkbox is not loaded");
      return false;
    }
    host_.SetCheck(trebbo, 0, value);
    Print(std::string("checkbox 0 of trebbo.auf set ") + (value ? "on" : "off"));
    return true;
  }

  // False only when no menu entry has this id.
  bool Run(int id, const sandbox::Standin& standin) {
    const sandbox::MenuEntry* entry = host_.FindMenuEntry(id);
    if (entry == nullptr) {
      PrintError("no menu entry with id " + std::to_string(id));
      return false;
    }
    Print("");
    Print("run " + std::to_string(id) + " " + sandbox::ShiftJisToUtf8(entry->text));
    const int first_call = standin.control ? standin.control->call_count : 0;
    const BOOL result = host_.ChooseMenu(id);
    PrintNewWindows();
    if (standin.control != nullptr) {
      PrintStandinCalls(*standin.control, first_call, "  ");
      Print("  editor ends on scene " + std::to_string(standin.control->current_scene));
    }
    Print(result ? "  callback returned TRUE (the host ignores the result)"
                 : "  callback returned FALSE (normal: the plug-in answers every "
                   "message with FALSE, and the host ignores the result)");
    return true;
  }

  sandbox::Host& host() { return host_; }
  const std::vector<std::string>& failed_inits() const { return failed_inits_; }

 private:
  void PrintNewWindows() { windows_printed_ = PrintWindowsSeen(host_, windows_printed_, "  "); }

  sandbox::Host host_;
  size_t windows_printed_ = 0;
  std::vector<std::string> failed_inits_;  // file names
};

// The session's exit status once it ends with `otherwise`: a plug-in whose
// init failed comes first, since it explains whatever else went wrong.
int ExitStatus(Session& session, int otherwise) {
  if (session.failed_inits().empty()) return otherwise;
  std::string names;
  for (const std::string& name : session.failed_inits()) {
    names += (names.empty() ? "" : ", ") + name;
  }
  PrintError("init returned FALSE for " + names + " (see above)");
  return kExitPluginFailed;
}

int RunSession(const Options& options) {
  Session session;
  sandbox::Host& host = session.host();
  if (!host.last_error().empty()) {
    PrintError(host.last_error());
    return kExitCannotServe;
  }
  if (!session.LoadPlugins(options.plugins)) return kExitPluginFailed;
  session.SendInit();

  if (options.set_checkbox && !session.SetCheckbox(options.checkbox_value)) {
    return ExitStatus(session, kExitCannotServe);
  }
  const sandbox::Standin standin = sandbox::FindStandin(host);
  if ((options.sample_project || options.print_scenes) && standin.control == nullptr) {
    PrintError("the stand-in extended editing (exedit.auf of the sandbox) is not loaded");
    return ExitStatus(session, kExitCannotServe);
  }
  if (options.sample_project) FillSampleProject(standin);

  // The answers are for whichever folder dialogs come, in order; a dialog
  // beyond them is cancelled and reported.
  for (const FolderAnswer& answer : options.answers) {
    if (answer.cancel) {
      host.answerer().QueueCancel(L"");
    } else {
      host.answerer().QueueFolder(L"", answer.folder);
    }
  }
  for (int id : options.runs) {
    if (!session.Run(id, standin)) return ExitStatus(session, kExitCannotServe);
  }
  if (host.answerer().PendingAnswers() > 0) {
    Print("");
    Print(std::to_string(host.answerer().PendingAnswers()) +
          " folder answer(s) left unused");
  }
  if (options.print_scenes) {
    Print("");
    PrintScenes(*standin.control);
  }
  return ExitStatus(session, kExitDone);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  std::string error;
  if (!ParseArguments(argc, argv, options, error)) {
    PrintError(error + " (see trebbo-host --help)");
    return kExitUsage;
  }
  if (options.help) {
    Print(UsageText());
    return kExitDone;
  }
  if (options.version) {
    Print("trebbo-host " TREBBO_VERSION);
    return kExitDone;
  }
  return RunSession(options);
}
