#include "shell/uninstall.h"

#include <windows.h>

#include "core/install_sequence.h"
#include "core/installed_printers.h"
#include "install/uninstall_entry.h"
#include "res/resource.h"
#include "win/app.h"
#include "win/setup_log.h"
#include "win/wow64.h"

namespace {

std::wstring JoinedLines(const std::vector<std::wstring>& names) {
  std::wstring text;
  for (const std::wstring& name : names) text += (text.empty() ? L"" : L"\r\n") + name;
  return text;
}

}  // namespace

ExitCode RunUninstall(const CommandLineOptions& options) {
  const std::wstring onlyName = options.hasName ? options.name : std::wstring();
  const std::vector<std::wstring> names = InstalledQueueNames(onlyName);
  std::wstring version;
  const bool entry = onlyName.empty() && ReadUninstallEntryVersion(version);
  win::Log(L"uninstall: %s%s", names.empty() ? std::wstring(L"the record names no printer") : L"the record names " +
                                                                                                   JoinedLines(names),
           onlyName.empty() ? std::wstring() : L" called \"" + onlyName + L"\"");
  if (names.empty() && !entry) {
    if (!options.quiet) win::AppMessageBox(nullptr, win::LoadStringResource(IDS_UNINSTALL_NOTHING), MB_OK | MB_ICONINFORMATION);
    win::Log(L"uninstall: %s", DescribeUninstall(UninstallResult::kNothingInstalled));
    return ExitCodeForUninstall(UninstallResult::kNothingInstalled);
  }
  if (!options.quiet) {
    const int answer = win::AppMessageBox(nullptr, win::FormatResource(IDS_UNINSTALL_CONFIRM, JoinedLines(names)),
                                          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer != IDYES) {
      win::Log(L"uninstall: the person said no; nothing was removed");
      return kExitCancelled;
    }
  }
  const UninstallResult result = UninstallPrinters(onlyName, kHelperServiceName, win::QueryNativeMachine().machine);
  win::Log(L"uninstall: %s", DescribeUninstall(result));
  if (!options.quiet) {
    switch (result) {
      case UninstallResult::kRemoved:
        win::AppMessageBox(nullptr, win::LoadStringResource(IDS_UNINSTALL_DONE), MB_OK | MB_ICONINFORMATION);
        break;
      case UninstallResult::kIncomplete:
        win::AppMessageBox(nullptr, win::FormatResource(IDS_UNINSTALL_INCOMPLETE, win::SetupLogPath()),
                           MB_OK | MB_ICONWARNING);
        break;
      case UninstallResult::kNothingInstalled:
        win::AppMessageBox(nullptr, win::LoadStringResource(IDS_UNINSTALL_NOTHING), MB_OK | MB_ICONINFORMATION);
        break;
    }
  }
  return ExitCodeForUninstall(result);
}
