#include "install/driver_commands.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "win/handles.h"
#include "win/message_loop.h"
#include "win/setup_log.h"
#include "win/wow64.h"

namespace {

// Starts the program; the process handle is the caller's. ShellExecuteExW normally; with the
// redirection off, CreateProcessW alone, since the shell would load its own DLLs meanwhile and
// get the 64-bit ones.
HANDLE StartProcess(const Rundll32Launch& launch, std::vector<wchar_t>& parameters, bool hidden, DWORD& error) {
  error = ERROR_SUCCESS;
  if (launch.withoutRedirection) {
    std::wstring commandLine = L"\"" + launch.path + L"\"" + std::wstring(parameters.data());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = hidden ? SW_HIDE : SW_SHOW;
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
  info.nShow = hidden ? SW_HIDE : SW_SHOW;
  if (!::ShellExecuteExW(&info)) {
    error = ::GetLastError();
    return nullptr;
  }
  return info.hProcess;
}

}  // namespace

CommandRun RunRundll32(const std::wstring& parameters, bool hidden, DWORD timeoutMs) {
  const Rundll32Launch launch = win::NativeRundll32();
  if (launch.path.empty()) {
    win::Log(L"rundll32: the system's folder is unknown; nothing was run");
    return CommandRun::kNotStarted;
  }
  win::Log(L"rundll32: %s%s%s", launch.path, parameters,
           launch.withoutRedirection ? L" (started with the WOW64 file-system redirection off: no Sysnative)" : L"");
  // ShellExecuteExW takes a writable-looking pointer; give it its own copy of the parameters.
  std::vector<wchar_t> buffer(parameters.begin(), parameters.end());
  buffer.push_back(L'\0');
  const DWORD start = ::GetTickCount();
  DWORD error = ERROR_NOT_ENOUGH_MEMORY;
  // Starting a process blocks its caller for a while (a tenth of a second and more under Wine):
  // on a thread of its own, so that the window keeps answering meanwhile.
  win::ScopedHandle process;
  win::RunHandlingMessages([&] {
    try {
      process.Reset(StartProcess(launch, buffer, hidden, error));
    } catch (...) {
      // Out of memory for the command line: not started, and that is what is logged.
    }
  });
  if (!process) {
    win::Log(L"rundll32: could not be started, error %d", static_cast<unsigned long>(error));
    return CommandRun::kNotStarted;
  }
  if (!win::WaitHandlingMessages(process.Get(), timeoutMs) && timeoutMs != INFINITE) {
    // Whatever it waits for (a question of the system's that nobody sees), it gets no answer.
    const BOOL ended = ::TerminateProcess(process.Get(), ERROR_TIMEOUT);
    const DWORD endError = ended ? ERROR_SUCCESS : ::GetLastError();
    ::WaitForSingleObject(process.Get(), 5000);
    win::Log(L"rundll32: still running after %d s, the time limit: %s", static_cast<unsigned long>(timeoutMs / 1000),
             ended ? std::wstring(L"ended")
                   : L"could not be ended, error " + win::DecimalText(endError));
    return CommandRun::kTimedOut;
  }
  DWORD exitCode = 0;
  if (!::GetExitCodeProcess(process.Get(), &exitCode)) exitCode = ::GetLastError();
  win::Log(L"rundll32: ended with exit code %d after %d ms", static_cast<unsigned long>(exitCode),
           static_cast<unsigned long>(::GetTickCount() - start));
  return CommandRun::kEnded;
}

namespace {

DriverCommand RunDriverCommand(std::wstring parameters, bool unattended, DWORD timeoutMs) {
  if (unattended) parameters += L" /q";
  switch (RunRundll32(parameters, unattended, timeoutMs)) {
    case CommandRun::kEnded: return DriverCommand::kRan;
    case CommandRun::kNotStarted: return DriverCommand::kNotStarted;
    case CommandRun::kTimedOut: return DriverCommand::kTimedOut;
  }
  return DriverCommand::kNotStarted;
}

}  // namespace

DriverCommand InstallDriver(const DriverInstall& driver, bool unattended, DWORD timeoutMs) {
  std::wstring parameters;
  if (!BuildDriverInstallParameters(driver.printerName, driver.packageDirectory, driver.packageName, driver.port,
                                    driver.driverDesc, parameters)) {
    return DriverCommand::kNotFormed;
  }
  return RunDriverCommand(parameters, unattended, timeoutMs);
}

DriverCommand InstallDriverOnly(const DriverInstall& driver, bool unattended, DWORD timeoutMs) {
  std::wstring parameters;
  if (!BuildDriverOnlyParameters(driver.packageDirectory, driver.packageName, driver.driverDesc, parameters)) {
    return DriverCommand::kNotFormed;
  }
  return RunDriverCommand(parameters, unattended, timeoutMs);
}

void PrintTestPage(const std::wstring& printerName) { RunRundll32(BuildTestPageParameters(printerName), false); }
