#include "install/service_control.h"

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

int CServiceControl::Create() {
  if (m_pszServiceName == nullptr || m_pszDisplayName == nullptr || m_pszBinaryPath == nullptr) return 0;
  if (m_hSCManager == nullptr) return 0;
  const std::wstring binaryPath = QuoteServicePath(m_pszBinaryPath);
  win::ScopedServiceHandle service(::CreateServiceW(
      m_hSCManager, m_pszServiceName, m_pszDisplayName, SERVICE_ALL_ACCESS, kServiceType,
      m_bAutoStart ? SERVICE_AUTO_START : SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, binaryPath.c_str(), nullptr,
      nullptr, nullptr, nullptr, nullptr));
  return service ? 1 : 0;
}

int CServiceControl::Start() {
  if (m_pszServiceName == nullptr) return 0;
  win::ScopedServiceHandle service(OpenNamedService());
  if (!service) return 0;
  return ::StartServiceW(service.Get(), 0, nullptr) ? 1 : 0;
}

int CServiceControl::Stop() {
  if (m_pszServiceName == nullptr) return 0;
  win::ScopedServiceHandle service(OpenNamedService());
  if (!service) return 0;
  SERVICE_STATUS status = {};
  return ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status) ? 1 : 0;
}

int CServiceControl::Delete() {
  if (m_pszServiceName == nullptr) return 0;
  win::ScopedServiceHandle service(OpenNamedService());
  if (!service) return 0;
  return ::DeleteService(service.Get()) ? 1 : 0;
}

void RunHelperServiceOnce(const std::wstring& serviceName, const std::wstring& binaryPath) {
  CServiceControl control;
  control.SetDisplayName(serviceName.c_str());
  control.SetServiceName(serviceName.c_str());
  control.SetBinaryPath(binaryPath.c_str());
  control.SetAutoStart(1);
  control.Create();
  control.Start();
  ::Sleep(kHelperRunPauseMs);
  control.Stop();
  ::Sleep(kHelperRunPauseMs);
  control.Delete();
}
