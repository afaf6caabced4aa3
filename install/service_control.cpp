#include "install/service_control.h"

#include <mutex>
#include <vector>

#include "install/service_control_core.h"
#include "win/handles.h"
#include "win/setup_log.h"

namespace {

constexpr DWORD kServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;
constexpr DWORD kHelperRunPauseMs = 1000;

// The helper run in progress, if any: it runs on a thread of its own, and the session may end
// meanwhile (WM_ENDSESSION reaches a window's thread). The lock guards only these fields, never a
// service call: starting a service waits for its process, and the end of the session, which
// Windows gives only seconds, must not wait on it.
struct ActiveHelperRun {
  win::CriticalSection lock;
  bool running = false;
  bool abandoned = false;
  std::wstring serviceName;
  std::wstring binaryPath;
  // Set while no step of the run is under way (manual reset).
  win::ScopedHandle stepIdle{::CreateEventW(nullptr, TRUE, TRUE, nullptr)};
};

ActiveHelperRun& ActiveRun() {
  static ActiveHelperRun* run = new ActiveHelperRun();  // used from two threads until the end
  return *run;
}

// How long the end of the session waits for a step under way, so that what the step made (a
// registration) is seen and removed.
constexpr DWORD kStepWaitAtSessionEndMs = 2000;

void LogStep(const wchar_t* step, int result, DWORD error) {
  if (result) {
    win::Log(L"helper service: %s: done", step);
  } else {
    win::Log(L"helper service: %s: failed, error %d", step, static_cast<unsigned long>(error));
  }
}

// Whether the named service is registered with `binaryPath` (ours). False when it is not
// registered or its configuration cannot be read.
bool IsOurRegistration(const CServiceControl& control, const std::wstring& binaryPath) {
  std::wstring registered;
  return control.QueryBinaryPath(registered) && IsSameServicePath(registered, binaryPath);
}

}  // namespace

const wchar_t* DescribeHelperRun(HelperRun outcome) {
  switch (outcome) {
    case HelperRun::kRan: return L"ran and was removed";
    case HelperRun::kNotOurs: return L"a service of that name runs another program: left alone";
    case HelperRun::kMarkedForDeletion: return L"the name is marked for deletion until the system restarts";
    case HelperRun::kNotStarted: return L"could not be started";
    case HelperRun::kNotStopped: return L"could not be stopped: the device values were not moved";
    case HelperRun::kNotRemoved: return L"could not be removed: it stays registered";
    case HelperRun::kAbandoned: return L"cut short: the session ended";
  }
  return L"unknown";
}

CServiceControl::CServiceControl()
    : m_manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)),
      m_pszServiceName(nullptr),
      m_pszDisplayName(nullptr),
      m_pszBinaryPath(nullptr),
      m_bAutoStart(0) {}

CServiceControl::~CServiceControl() = default;

void CServiceControl::SetServiceName(const wchar_t* serviceName) { m_pszServiceName = serviceName; }
void CServiceControl::SetDisplayName(const wchar_t* displayName) { m_pszDisplayName = displayName; }
void CServiceControl::SetBinaryPath(const wchar_t* binaryPath) { m_pszBinaryPath = binaryPath; }
void CServiceControl::SetAutoStart(int autoStart) { m_bAutoStart = autoStart; }

SC_HANDLE CServiceControl::OpenNamedService() const {
  if (!m_manager) return nullptr;
  return ::OpenServiceW(m_manager.Get(), m_pszServiceName, SERVICE_ALL_ACCESS);
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
  if (!m_manager) {
    m_dwLastError = ERROR_INVALID_HANDLE;
    return 0;
  }
  const std::wstring binaryPath = QuoteServicePath(m_pszBinaryPath);
  win::ScopedServiceHandle service(::CreateServiceW(
      m_manager.Get(), m_pszServiceName, m_pszDisplayName, SERVICE_ALL_ACCESS, kServiceType,
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

namespace {

// Whether a failed stop request may still have reached the service: not a refusal of the manager,
// but an answer lost on its way back, as when the service's process ends on the request itself
// (Wine's manager ends the process once it reports "stopped", before its answer is read: error
// 109, the pipe broken).
bool MayHaveReachedTheService(DWORD error) {
  switch (error) {
    case ERROR_SERVICE_NOT_ACTIVE:
    case ERROR_SERVICE_CANNOT_ACCEPT_CTRL:
    case ERROR_INVALID_SERVICE_CONTROL:
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_HANDLE:
    case ERROR_SERVICE_DOES_NOT_EXIST:
    case ERROR_SERVICE_MARKED_FOR_DELETE:
    case ERROR_SHUTDOWN_IN_PROGRESS:
      return false;
    default:
      return true;
  }
}

// The service's state once it has settled (a stop in progress is given `waitMs` to end); 0 when
// it cannot be read.
DWORD SettledState(SC_HANDLE service, DWORD waitMs) {
  SERVICE_STATUS status = {};
  for (DWORD waited = 0;; waited += 100) {
    if (!::QueryServiceStatus(service, &status)) return 0;
    if (status.dwCurrentState != SERVICE_STOP_PENDING || waited >= waitMs) return status.dwCurrentState;
    ::Sleep(100);
  }
}

}  // namespace

int CServiceControl::Stop() {
  if (m_pszServiceName == nullptr) return 0;
  win::ScopedServiceHandle service(OpenNamedService());
  if (!service) return Result(false);
  SERVICE_STATUS status = {};
  if (::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) return Result(true);
  const DWORD error = ::GetLastError();
  // The request was handled if the service has stopped on it; its lost answer is no failure.
  if (MayHaveReachedTheService(error) && SettledState(service.Get(), 2000) == SERVICE_STOPPED) return Result(true);
  ::SetLastError(error);
  return Result(false);
}

int CServiceControl::Delete() {
  if (m_pszServiceName == nullptr) return 0;
  win::ScopedServiceHandle service(OpenNamedService());
  if (!service) return Result(false);
  return Result(::DeleteService(service.Get()) != FALSE);
}

bool CServiceControl::QueryBinaryPath(std::wstring& path) const {
  if (m_pszServiceName == nullptr || !m_manager) return false;
  win::ScopedServiceHandle service(::OpenServiceW(m_manager.Get(), m_pszServiceName, SERVICE_QUERY_CONFIG));
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

namespace {

// Marks the run as in progress for AbandonHelperServiceRun, for as long as it lasts.
class ActiveRunScope {
 public:
  ActiveRunScope(const std::wstring& serviceName, const std::wstring& binaryPath) {
    ActiveHelperRun& run = ActiveRun();
    std::lock_guard<win::CriticalSection> hold(run.lock);
    run.running = true;
    run.abandoned = false;
    run.serviceName = serviceName;
    run.binaryPath = binaryPath;
  }
  ~ActiveRunScope() {
    ActiveHelperRun& run = ActiveRun();
    std::lock_guard<win::CriticalSection> hold(run.lock);
    run.running = false;
    ::SetEvent(run.stepIdle.Get());
  }
  ActiveRunScope(const ActiveRunScope&) = delete;
  ActiveRunScope& operator=(const ActiveRunScope&) = delete;
};

}  // namespace

HelperRunResult RunHelperServiceOnce(const std::wstring& serviceName, const std::wstring& binaryPath,
                                     const std::function<void(DWORD)>& pause) {
  CServiceControl control;
  control.SetDisplayName(serviceName.c_str());
  control.SetServiceName(serviceName.c_str());
  control.SetBinaryPath(binaryPath.c_str());
  control.SetAutoStart(1);
  ActiveRunScope scope(serviceName, binaryPath);
  ActiveHelperRun& active = ActiveRun();
  // Runs one step of the run unless the session has ended; false when it has ended before the
  // step or during it.
  const auto step = [&active](const wchar_t* name, const std::function<int()>& action, CServiceControl& on) {
    {
      std::lock_guard<win::CriticalSection> hold(active.lock);
      if (active.abandoned) return false;
      ::ResetEvent(active.stepIdle.Get());
    }
    const int result = action();
    ::SetEvent(active.stepIdle.Get());
    LogStep(name, result, on.LastError());
    std::lock_guard<win::CriticalSection> hold(active.lock);
    return !active.abandoned;
  };
  const HelperRunResult abandoned = {HelperRun::kAbandoned, ERROR_SHUTDOWN_IN_PROGRESS};

  win::Log(L"helper service: \"%s\" with %s, automatic start, local system account", serviceName, binaryPath);
  if (!step(L"create", [&] { return control.Create(); }, control)) return abandoned;
  if (control.LastError() != ERROR_SUCCESS) {
    const DWORD error = control.LastError();
    // Until the system restarts, the name belongs to a registration on its way out.
    if (error == ERROR_SERVICE_MARKED_FOR_DELETE) return {HelperRun::kMarkedForDeletion, error};
    // A registration of that name may be ours, left by a run that was cut short; another
    // product's service is none of our business.
    if (error == ERROR_SERVICE_EXISTS && !IsOurRegistration(control, binaryPath)) return {HelperRun::kNotOurs, error};
  }
  if (!step(L"start", [&] { return control.Start(); }, control)) return abandoned;
  // A service that still runs from a run cut short has been started all the same.
  const bool started = control.LastError() == ERROR_SUCCESS || control.LastError() == ERROR_SERVICE_ALREADY_RUNNING;
  const DWORD startError = started ? ERROR_SUCCESS : control.LastError();
  const auto wait = [&pause](DWORD ms) {
    if (pause) {
      pause(ms);
    } else {
      ::Sleep(ms);
    }
  };
  wait(kHelperRunPauseMs);
  if (!step(L"stop", [&] { return control.Stop(); }, control)) return abandoned;
  const DWORD stopError = control.LastError();
  wait(kHelperRunPauseMs);
  if (!step(L"delete", [&] { return control.Delete(); }, control)) return abandoned;
  const DWORD deleteError = control.LastError();
  // Each of the three is needed: without the stop the values were not moved, and a registration
  // left behind starts the helper at every boot.
  if (!started) return {HelperRun::kNotStarted, startError};
  if (stopError != ERROR_SUCCESS) return {HelperRun::kNotStopped, stopError};
  if (deleteError != ERROR_SUCCESS) return {HelperRun::kNotRemoved, deleteError};
  return {HelperRun::kRan, ERROR_SUCCESS};
}

namespace {

// Stops and removes the named service, which must be ours; waits up to `stopWaitMs` for it to
// stop first, so that its program file is free when this returns.
bool StopAndRemove(CServiceControl& control, const std::wstring& serviceName, DWORD stopWaitMs, DWORD& error) {
  SERVICE_STATUS status = {};
  win::ScopedServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  win::ScopedServiceHandle service(
      manager ? ::OpenServiceW(manager.Get(), serviceName.c_str(), SERVICE_QUERY_STATUS) : nullptr);
  const bool known = service && ::QueryServiceStatus(service.Get(), &status);
  if (!known || status.dwCurrentState != SERVICE_STOPPED) {
    LogStep(L"stop the one left running", control.Stop(), control.LastError());
    for (DWORD waited = 0; service && waited < stopWaitMs; waited += 100) {
      if (::QueryServiceStatus(service.Get(), &status) && status.dwCurrentState == SERVICE_STOPPED) break;
      ::Sleep(100);
    }
  }
  const int deleted = control.Delete();
  LogStep(L"remove the one left registered", deleted, control.LastError());
  error = deleted ? ERROR_SUCCESS : control.LastError();
  return deleted != 0;
}

}  // namespace

bool RemoveLeftoverHelperService(const std::wstring& serviceName, const std::wstring& binaryPath, DWORD& error,
                                 DWORD stopWaitMs) {
  error = ERROR_SUCCESS;
  CServiceControl control;
  control.SetServiceName(serviceName.c_str());
  if (!IsOurRegistration(control, binaryPath)) return true;
  win::Log(L"helper service: \"%s\" is still registered from an earlier run that was cut short", serviceName);
  return StopAndRemove(control, serviceName, stopWaitMs, error);
}

void AbandonHelperServiceRun() {
  ActiveHelperRun& active = ActiveRun();
  std::wstring serviceName;
  std::wstring binaryPath;
  {
    std::lock_guard<win::CriticalSection> hold(active.lock);
    if (!active.running || active.abandoned) return;
    active.abandoned = true;
    serviceName = active.serviceName;
    binaryPath = active.binaryPath;
  }
  win::Log(L"helper service: the session ends in the middle of the run");
  if (::WaitForSingleObject(active.stepIdle.Get(), kStepWaitAtSessionEndMs) != WAIT_OBJECT_0) {
    win::Log(L"helper service: a step is still under way; removing the service all the same");
  }
  CServiceControl control;
  control.SetServiceName(serviceName.c_str());
  if (!IsOurRegistration(control, binaryPath)) return;
  DWORD error = ERROR_SUCCESS;
  // Windows gives the ending session only seconds: no long wait for the stop.
  StopAndRemove(control, serviceName, 0, error);
}
