// A thin wrapper over the service control manager for registering, starting, stopping and
// removing one service, and the wizard's single run of its helper service.
#pragma once

#include <windows.h>
#include <winsvc.h>

#include <string>

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
  int Stop();
  int Delete();

 private:
  SC_HANDLE OpenNamedService() const;

  SC_HANDLE m_hSCManager;
  const wchar_t* m_pszServiceName;
  const wchar_t* m_pszDisplayName;
  const wchar_t* m_pszBinaryPath;
  int m_bAutoStart;
};

// Runs the helper program once as a service: create (automatic start) and start it, give it one
// second, stop it (which makes it move the prepared device values), wait one second and remove the
// registration again. Results are not examined: each step runs whatever the previous one did.
void RunHelperServiceOnce(const std::wstring& serviceName, const std::wstring& binaryPath);
