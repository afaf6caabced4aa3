// A thin wrapper over the service control manager for registering, starting, stopping and
// removing one service, and the wizard's single run of its helper service.
#pragma once

#include <windows.h>
#include <winsvc.h>

#include <functional>
#include <string>

#include "win/handles.h"

class CServiceControl {
 public:
  // Opens the local service control manager with all access; a failed open is kept as a null
  // handle, and every later operation then fails.
  CServiceControl();
  virtual ~CServiceControl();
  CServiceControl(const CServiceControl&) = delete;
  CServiceControl& operator=(const CServiceControl&) = delete;

  // The texts are borrowed, not copied: the caller keeps them alive while the object is used.
  void SetServiceName(const wchar_t* serviceName);
  void SetDisplayName(const wchar_t* displayName);
  void SetBinaryPath(const wchar_t* binaryPath);
  void SetAutoStart(int autoStart);

  // Each returns 1 on success and 0 on failure.
  // Registers an own-process, interactive service under the local system account, with its
  // executable path in double quotes; 0 without touching the manager when a text is missing.
  int Create();
  int Start();
  // Sends the stop request. A request whose answer is lost although the service stopped on it
  // counts as done.
  int Stop();
  int Delete();

  // The executable path the named service is registered with; false when it cannot be read.
  bool QueryBinaryPath(std::wstring& path) const;
  // The system's error code of the last operation that failed.
  DWORD LastError() const { return m_dwLastError; }

 private:
  SC_HANDLE OpenNamedService() const;
  int Result(bool succeeded);

  win::ScopedServiceHandle m_manager;
  const wchar_t* m_pszServiceName;
  const wchar_t* m_pszDisplayName;
  const wchar_t* m_pszBinaryPath;
  int m_bAutoStart;
  DWORD m_dwLastError = ERROR_SUCCESS;
};

enum class HelperRun {
  kRan,                // started, stopped (which makes it move the values) and removed
  kNotOurs,            // a service of that name runs another program: left alone
  kMarkedForDeletion,  // the name is about to go away until the system restarts: nothing done
  kNotStarted,         // it could not be started (error in HelperRunResult)
  kNotStopped,         // the stop request failed: the values were not moved
  kNotRemoved,         // the registration could not be removed: it would start at every boot
  kAbandoned,          // the session ended in the middle of the run
};

struct HelperRunResult {
  HelperRun outcome;
  DWORD error;  // the system's error code of the step that failed
};

// What the setup log says of a run's outcome.
const wchar_t* DescribeHelperRun(HelperRun outcome);

// Runs the helper program once as a service: create (automatic start) and start it, give it one
// second, stop it (which makes it move the prepared device values), wait one second and remove the
// registration again. After the creation, each step runs whatever the previous one did. A service
// of that name that is not this program (another product's) is never started, stopped or removed,
// and one marked for deletion is left to go. `pause` passes the one-second waits; by default it
// sleeps (the wizard runs all of this on a thread of its own).
HelperRunResult RunHelperServiceOnce(const std::wstring& serviceName, const std::wstring& binaryPath,
                                     const std::function<void(DWORD)>& pause = nullptr);

// A registration of ours left by a run that was cut short (its automatic start runs the helper
// from every boot, holding its program file open) is stopped, waited for up to `stopWaitMs`, and
// removed, so that the program file can be written anew and the run can go as it should. Another
// product's service of that name is left alone. Returns false when one of ours stays registered
// (`error` tells why); true when there is none of ours (any more).
bool RemoveLeftoverHelperService(const std::wstring& serviceName, const std::wstring& binaryPath, DWORD& error,
                                 DWORD stopWaitMs = 5000);

// From the thread that handles the wizard's window, when the session ends while a helper run is in
// progress on another thread: the run stops where it is, and the service is stopped and removed
// before this returns, so that it does not start again at every boot. Nothing when no run is in
// progress.
void AbandonHelperServiceRun();
