#include "install/service_control.h"

#include <vector>

#include "install/service_control_core.h"
#include "win/handles.h"

namespace {

constexpr DWORD kServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;
constexpr DWORD kHelperRunPauseMs = 1000;

}  // namespace

CServiceControl::CServiceControl()
    : m_hSCManager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)),
      m_pszServiceName(nullptr),
      m_pszDisplayName(nullptr),
      m_pszBinaryPath(nullptr),
      m_bAutoStart(0) {}

CServiceControl::~CServiceControl() {
  if (m_hSCManager != nullptr) ::CloseServiceHandle(m_hSCManager);
}

void CServiceControl::SetServiceName(const wchar_t* serviceName) { m_pszServiceName = serviceName; }
void CServiceControl::SetDisplayName(const wchar_t* displayName) { m_pszDisplayName = displayName; }
void CServiceControl::SetBinaryPath(const wchar_t* binaryPath) { m_pszBinaryPath = binaryPath; }
void CServiceControl::SetAutoStart(int autoStart) { m_bAutoStart = autoStart; }

SC_HANDLE CServiceControl::OpenNamedService() const {
  if (m_hSCManager == nullptr) return nullptr;
  return ::OpenServiceW(m_hSCManager, m_pszServiceName, SERVICE_ALL_ACCESS);
}

int CServiceControl::Result(bool succeeded) {
  m_dwLastError = succeeded ? ERROR_SUCCESS : ::GetLastError();
  return succeeded ? 1 : 0;
}

int CServiceControl::Create() {
  if (m_pszServiceName == nullptr || m_pszDisplayName == nullptr || m_pszBinaryPath == nullptr) {
    m_dwLastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  if (m_hSCManager == nullptr) {
    m_dwLastError = ERROR_INVALID_HANDLE;
    return 0;
  }
  const std::wstring binaryPath = QuoteServicePath(m_pszBinaryPath);
  win::ScopedServiceHandle service(::CreateServiceW(
      m_hSCManager, m_pszServiceName, m_pszDisplayName, SERVICE_ALL_ACCESS, kServiceType,
      m_bAutoStart ? SERVICE_AUTO_START : SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, binaryPath.c_str(), nullptr,
      nullptr, nullptr, nullptr, nullptr));
  return Result(static_cast<bool>(service));
}

int CServiceControl::Start() {
  if (m_pszServiceName == nullptr) return 0;
  win::ScopedServiceHandle service(OpenNamedService());
  if (!service) return Result(false);
  return Result(::StartServiceW(service.Get(), 0, nullptr) != FALSE);
}

int CServiceControl::Stop() {
  if (m_pszServiceName == nullptr) return 0;
  win::ScopedServiceHandle service(OpenNamedService());
  if (!service) return Result(false);
  SERVICE_STATUS status = {};
  return Result(::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status) != FALSE);
}

int CServiceControl::Delete() {
  if (m_pszServiceName == nullptr) return 0;
  win::ScopedServiceHandle service(OpenNamedService());
  if (!service) return Result(false);
  return Result(::DeleteService(service.Get()) != FALSE);
}

bool CServiceControl::QueryBinaryPath(std::wstring& path) const {
  if (m_pszServiceName == nullptr || m_hSCManager == nullptr) return false;
  win::ScopedServiceHandle service(::OpenServiceW(m_hSCManager, m_pszServiceName, SERVICE_QUERY_CONFIG));
  if (!service) return false;
  DWORD needed = 0;
  ::QueryServiceConfigW(service.Get(), nullptr, 0, &needed);
  if (needed == 0) return false;
  std::vector<BYTE> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  if (!::QueryServiceConfigW(service.Get(), config, needed, &needed)) return false;
  path = config->lpBinaryPathName != nullptr ? config->lpBinaryPathName : L"";
  return true;
}

HelperRunResult RunHelperServiceOnce(const std::wstring& serviceName, const std::wstring& binaryPath,
                                     const std::function<void(DWORD)>& pause) {
  CServiceControl control;
  control.SetDisplayName(serviceName.c_str());
  control.SetServiceName(serviceName.c_str());
  control.SetBinaryPath(binaryPath.c_str());
  control.SetAutoStart(1);
  if (!control.Create()) {
    const DWORD error = control.LastError();
    // Until the system restarts, the name belongs to a registration on its way out.
    if (error == ERROR_SERVICE_MARKED_FOR_DELETE) return {HelperRun::kMarkedForDeletion, error};
    // A registration of that name may be ours, left by a run that was cut short; another
    // product's service is none of our business.
    std::wstring registered;
    if (error == ERROR_SERVICE_EXISTS &&
        (!control.QueryBinaryPath(registered) || !IsSameServicePath(registered, binaryPath))) {
      return {HelperRun::kNotOurs, error};
    }
  }
  // A service that still runs from a run cut short has been started all the same.
  const bool started = control.Start() || control.LastError() == ERROR_SERVICE_ALREADY_RUNNING;
  const DWORD startError = started ? ERROR_SUCCESS : control.LastError();
  const auto wait = [&pause](DWORD ms) {
    if (pause) {
      pause(ms);
    } else {
      ::Sleep(ms);
    }
  };
  wait(kHelperRunPauseMs);
  control.Stop();
  wait(kHelperRunPauseMs);
  control.Delete();
  return {started ? HelperRun::kRan : HelperRun::kNotStarted, startError};
}
