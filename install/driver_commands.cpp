#include "install/driver_commands.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "install/install_logic_core.h"
#include "package/package_inf.h"
#include "shell/wizard.h"
#include "shell/setup_settings.h"
#include "win/handles.h"
#include "win/newer_apis.h"
#include "win/system_library.h"

std::wstring Rundll32Path() {
  const bool underWow64 = win::IsRunningUnderWow64();
  return Rundll32PathFor(underWow64, underWow64 ? std::wstring() : win::SystemDirectory(),
                         underWow64 ? win::SystemWindowsDirectory() : std::wstring());
}

bool RunRundll32(const std::wstring& parameters) {
  const std::wstring program = Rundll32Path();
  if (program.empty()) return false;
  // ShellExecuteExW takes a writable-looking pointer; give it its own copy of the parameters.
  std::vector<wchar_t> buffer(parameters.begin(), parameters.end());
  buffer.push_back(L'\0');

  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = nullptr;
  info.lpVerb = nullptr;
  info.lpFile = program.c_str();
  info.lpParameters = buffer.data();
  info.lpDirectory = nullptr;
  info.nShow = SW_SHOW;
  if (!::ShellExecuteExW(&info)) return false;
  win::ScopedHandle process(info.hProcess);
  if (!process) return false;
  WaitHandlingMessages(process.Get());
  return true;
}

int InstallDriver(std::wstring printerName, std::wstring port) {
  (void)printerName;  // /b carries the base name; the spooler picks the final name itself
  std::wstring parameters;
  if (!BuildDriverInstallParameters(SetupSettings.g_strPrinterName, GetProgramDirectory(), SetupSettings.g_strPackageName,
                                    port, SetupSettings.g_strDriverDesc, parameters)) {
    return 0;
  }
  RunRundll32(parameters);
  return 1;
}

void PrintTestPage(std::wstring printerName) { RunRundll32(BuildTestPageParameters(printerName)); }
