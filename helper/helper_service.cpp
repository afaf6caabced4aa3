#include "helper/helper_service.h"

#include "helper/helper_log.h"
#include "helper/helper_names.h"
#include "helper/side_values.h"
#include "install/service_control_core.h"
#include "win/format_core.h"
#include "win/handles.h"

namespace {

constexpr DWORD kServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;
constexpr DWORD kAcceptedControls = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN;

SERVICE_STATUS g_status = {};
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;

// Logging runs on the dispatcher's threads, where nothing may be thrown: a message that cannot
// even be formatted is dropped.
void LogFailure(const wchar_t* format, DWORD error) {
  try {
    HelperLog(FormatString(format, error));
  } catch (...) {
  }
}

void ReportStatus() {
  if (!::SetServiceStatus(g_statusHandle, &g_status)) {
    LogFailure(L"SetServiceStatus failed, error code = %d\n", ::GetLastError());
  }
}

std::wstring OwnPath() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

win::ScopedServiceHandle OpenManager() {
  win::ScopedServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) HelperLog(FormatString(L"OpenSCManager failed, error code = %d\n", ::GetLastError()));
  return manager;
}

win::ScopedServiceHandle OpenHelperService(SC_HANDLE manager) {
  win::ScopedServiceHandle service(::OpenServiceW(manager, kHelperServiceName, SERVICE_ALL_ACCESS));
  if (!service) HelperLog(FormatString(L"OpenService failed, error code = %d\n", ::GetLastError()));
  return service;
}

int InstallSelf() {
  win::ScopedServiceHandle manager = OpenManager();
  if (!manager) return 1;
  const std::wstring path = QuoteServicePath(OwnPath());
  win::ScopedServiceHandle service(::CreateServiceW(manager.Get(), kHelperServiceName, kHelperServiceName,
                                                    SERVICE_ALL_ACCESS, kServiceType, SERVICE_AUTO_START,
                                                    SERVICE_ERROR_NORMAL, path.c_str(), nullptr, nullptr, nullptr,
                                                    nullptr, nullptr));
  if (!service) {
    HelperLog(FormatString(L"Failed to create service %s, error code = %d\n", kHelperServiceName, ::GetLastError()));
    return 1;
  }
  HelperLog(FormatString(L"Service %s installed\n", kHelperServiceName));
  return 0;
}

int RemoveSelf() {
  win::ScopedServiceHandle manager = OpenManager();
  if (!manager) return 1;
  win::ScopedServiceHandle service = OpenHelperService(manager.Get());
  if (!service) return 1;
  if (!::DeleteService(service.Get())) {
    HelperLog(FormatString(L"Failed to delete service %s\n", kHelperServiceName));
    return 1;
  }
  HelperLog(FormatString(L"Service %s removed\n", kHelperServiceName));
  return 0;
}

int StartSelf() {
  win::ScopedServiceHandle manager = OpenManager();
  if (!manager) return 1;
  win::ScopedServiceHandle service = OpenHelperService(manager.Get());
  if (!service) return 1;
  if (!::StartServiceW(service.Get(), 0, nullptr)) {
    HelperLog(FormatString(L"StartService failed, error code = %d\n", ::GetLastError()));
    return 1;
  }
  return 0;
}

int StopSelf() {
  win::ScopedServiceHandle manager = OpenManager();
  if (!manager) return 1;
  win::ScopedServiceHandle service = OpenHelperService(manager.Get());
  if (!service) return 1;
  SERVICE_STATUS status = {};
  if (!::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) {
    HelperLog(FormatString(L"ControlService failed, error code = %d\n", ::GetLastError()));
    return 1;
  }
  return 0;
}

void EnterRunningState();
void HandleControl(DWORD control);

int RunDispatcher() {
  // The dispatcher only reads the name; its type merely predates const.
  const SERVICE_TABLE_ENTRYW table[] = {{const_cast<LPWSTR>(kHelperServiceName), HelperServiceMain},
                                        {nullptr, nullptr}};
  if (!::StartServiceCtrlDispatcherW(table)) {
    HelperLog(FormatString(L"StartServiceCtrlDispatcher failed, error code = %d\n", ::GetLastError()));
    return 1;
  }
  return 0;
}

}  // namespace

void WINAPI HelperServiceMain(DWORD, LPWSTR*) {
  // Called by the service dispatcher: nothing may unwind into it (the 32-bit build's DWARF
  // unwinding cannot pass the system's frames). What is below throws nothing today; the guard
  // keeps it that way.
  try {
    EnterRunningState();
  } catch (...) {
  }
}

void WINAPI HelperControlHandler(DWORD control) {
  try {
    HandleControl(control);
  } catch (...) {
  }
}

namespace {

void EnterRunningState() {
  g_status.dwServiceType = kServiceType;
  g_status.dwCurrentState = SERVICE_START_PENDING;
  g_status.dwControlsAccepted = kAcceptedControls;
  g_status.dwWin32ExitCode = 0;
  g_status.dwServiceSpecificExitCode = 0;
  g_status.dwCheckPoint = 0;
  g_status.dwWaitHint = 0;

  g_statusHandle = ::RegisterServiceCtrlHandlerW(kHelperServiceName, HelperControlHandler);
  if (g_statusHandle == nullptr) {
    LogFailure(L"RegisterServiceCtrlHandler failed, error code = %d\n", ::GetLastError());
    return;
  }
  g_status.dwCurrentState = SERVICE_RUNNING;
  ReportStatus();
}

void HandleControl(DWORD control) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      // Nothing may escape into the dispatcher; a failed transfer still ends the service.
      try {
        TransferSideValues();
      } catch (...) {
      }
      g_status.dwCurrentState = SERVICE_STOPPED;
      g_status.dwWin32ExitCode = 0;
      g_status.dwServiceSpecificExitCode = 0;
      g_status.dwCheckPoint = 0;
      g_status.dwWaitHint = 0;
      break;
    case SERVICE_CONTROL_PAUSE:
      g_status.dwCurrentState = SERVICE_PAUSED;
      break;
    case SERVICE_CONTROL_CONTINUE:
      g_status.dwCurrentState = SERVICE_RUNNING;
      break;
    default:
      break;
  }
  ReportStatus();
}

}  // namespace

int RunHelperProgram(const std::wstring& firstArgument) {
  if (firstArgument == L"-i" || firstArgument == L"-I") return InstallSelf();
  if (firstArgument == L"-u" || firstArgument == L"-U") return RemoveSelf();
  if (firstArgument == L"-s" || firstArgument == L"-S") return StartSelf();
  if (firstArgument == L"-k" || firstArgument == L"-K") return StopSelf();
  return RunDispatcher();
}
