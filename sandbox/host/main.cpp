// trebbo-host: the sandbox host as a program a person runs by hand. It loads
// plug-ins the way the editor does, chooses menu entries, answers the dialogs
// the commands open, and prints what happened, every text as UTF-8.
#include <string>

#include "sandbox/host/cli_options.h"
#include "sandbox/host/cli_report.h"
#include "sandbox/host/cli_session.h"
#include "sandbox/host/sandbox_host.h"
#include "sandbox/host/standin_project.h"
#include "sandbox/host/text_conversion.h"

namespace {

using namespace sandbox::cli;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int Run(const Options& options) {
  sandbox::Host host;
  if (!host.last_error().empty()) {
    PrintError(host.last_error());
    return kExitFailed;
  }
  if (!LoadPlugins(host, options.plugins)) return kExitFailed;

  host.SendInit();
  Print("init message sent");
  PrintDialogsSeen(host, "  ");
  PrintMenu(host);

  if (options.set_checkbox) {
    sandbox::LoadedFilter* trebbo = host.Find("trebbo.auf");
    if (trebbo == nullptr || trebbo->check_values.empty()) {
      PrintError("--checkbox: trebbo.auf with a checkbox is not loaded");
      return kExitFailed;
    }
    host.SetCheck(trebbo, 0, options.checkbox_value);
    Print(std::string("checkbox 0 of trebbo.auf set ") +
          (options.checkbox_value ? "on" : "off"));
  }

  const sandbox::Standin standin = sandbox::FindStandin(host);
  if ((options.sample_project || options.print_scenes) && standin.control == nullptr) {
    PrintError("the stand-in extended editing (exedit.auf of the sandbox) is not loaded");
    return kExitFailed;
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
    if (!RunCommand(host, standin, id)) return kExitFailed;
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
  return kExitOk;
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
    sandbox::WriteUtf8(UsageText());
    return kExitOk;
  }
  return Run(options);
}
