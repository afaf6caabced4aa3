#include "install/driver_commands.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "package/disk_object.h"
#include "package/package_inf.h"
#include "shell/setup_settings.h"
#include "shell/wizard.h"
#include "win/app.h"
#include "win/handles.h"
#include "win/newer_apis.h"
#include "win/setup_log.h"
#include "win/system_library.h"

namespace {

Wow64State CurrentWow64State() {
  switch (win::QueryWow64()) {
    case win::Wow64Answer::kYes: return Wow64State::kWow64;
    case win::Wow64Answer::kNo: return Wow64State::kNative;
    default: return Wow64State::kUnknown;
  }
}

// Starts the program; the process handle is the caller's. ShellExecuteExW normally; with the
// redirection off, CreateProcessW alone, since the shell would load its own DLLs meanwhile and
// get the 64-bit ones.
HANDLE StartProcess(const Rundll32Launch& launch, std::vector<wchar_t>& parameters, DWORD& error) {
  error = ERROR_SUCCESS;
  if (launch.withoutRedirection) {
    std::wstring commandLine = L"\"" + launch.path + L"\"" + std::wstring(parameters.data());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = win::IsUnattended() ? SW_HIDE : SW_SHOW;
    PROCESS_INFORMATION process = {};
    win::ScopedNoWow64Redirection redirection;
    if (!::CreateProcessW(launch.path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
      error = ::GetLastError();
      return nullptr;
    }
    ::CloseHandle(process.hThread);
    return process.hProcess;
  }
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = nullptr;
  info.lpVerb = nullptr;
  info.lpFile = launch.path.c_str();
  info.lpParameters = parameters.data();
  info.lpDirectory = nullptr;
  info.nShow = win::IsUnattended() ? SW_HIDE : SW_SHOW;
  if (!::ShellExecuteExW(&info)) {
    error = ::GetLastError();
    return nullptr;
  }
  return info.hProcess;
}

}  // namespace

Rundll32Launch Rundll32Path() {
  const std::wstring windows = win::SystemWindowsDirectory();
  const bool sysnativeFound = !windows.empty() && CDiskObject().IsExistingFile(Rundll32PathFor(true, std::wstring(), windows));
  return ChooseRundll32(CurrentWow64State(), sysnativeFound, win::SystemDirectory(), windows);
}

bool RunRundll32(const std::wstring& parameters) {
  const Rundll32Launch launch = Rundll32Path();
  if (launch.path.empty()) {
    win::Log(L"rundll32: the system's folder is unknown; nothing was run");
    return false;
  }
  win::Log(L"rundll32: %s%s%s", launch.path, parameters,
           launch.withoutRedirection ? L" (started with the WOW64 file-system redirection off: no Sysnative)" : L"");
  // ShellExecuteExW takes a writable-looking pointer; give it its own copy of the parameters.
  std::vector<wchar_t> buffer(parameters.begin(), parameters.end());
  buffer.push_back(L'\0');
  const DWORD start = ::GetTickCount();
  DWORD error = ERROR_SUCCESS;
  win::ScopedHandle process(StartProcess(launch, buffer, error));
  if (!process) {
    win::Log(L"rundll32: could not be started, error %d", static_cast<unsigned long>(error));
    return false;
  }
  WaitHandlingMessages(process.Get());
  DWORD exitCode = 0;
  if (!::GetExitCodeProcess(process.Get(), &exitCode)) exitCode = ::GetLastError();
  win::Log(L"rundll32: ended with exit code %d after %d ms", static_cast<unsigned long>(exitCode),
           static_cast<unsigned long>(::GetTickCount() - start));
  return true;
}

int InstallDriver(std::wstring printerName, std::wstring port) {
  (void)printerName;  // /b carries the base name; the spooler picks the final name itself
  std::wstring parameters;
  if (!BuildDriverInstallParameters(SetupSettings.g_strPrinterName, GetProgramDirectory(), SetupSettings.g_strPackageName,
                                    port, SetupSettings.g_strDriverDesc, parameters)) {
    return 0;
  }
  if (win::IsUnattended()) parameters += L" /q";
  RunRundll32(parameters);
  return 1;
}

void PrintTestPage(std::wstring printerName) { RunRundll32(BuildTestPageParameters(printerName)); }
