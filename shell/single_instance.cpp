#include "shell/single_instance.h"

#include <vector>

#include "win/app.h"
#include "win/format_core.h"

namespace {

// Vista and later: the boundary names the administrators group, so only a process whose token
// holds that group enabled (an elevated administrator, the local system account) can create or
// open the namespace, and with it the mutex inside. A user who makes a namespace of the same alias
// with a boundary of their own makes another namespace, not ours.
const wchar_t kBoundaryName[] = L"KESTROM.KQSetup.{5B0E43A1-7C2D-4F8E-9A61-3D2C8B7E0F14}";
const wchar_t kNamespaceAlias[] = L"KESTROM.KQSetup";
const wchar_t kNamespaceMutexName[] = L"KESTROM.KQSetup\\Wizard";

// Older systems: "Global\", one name for every session, so that a wizard started by a deployment
// tool as the local system account and one a person starts see each other.
const wchar_t kMutexName[] = L"Global\\KESTROM.KQSetup.{5B0E43A1-7C2D-4F8E-9A61-3D2C8B7E0F14}";
const wchar_t kLocalMutexName[] = L"KESTROM.KQSetup.{5B0E43A1-7C2D-4F8E-9A61-3D2C8B7E0F14}";
const wchar_t kWizardProperty[] = L"KESTROM.KQSetup.Wizard";

// Full access for the local system account and the administrators, nobody else: every start of
// the wizard is elevated (its manifest asks for it), so a second one, whoever started it, may open
// what the first one made.
class CObjectSecurity {
 public:
  explicit CObjectSecurity(ACCESS_MASK access) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    if (!::AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &m_system)) return;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    &m_admins)) {
      return;
    }
    const DWORD aclSize = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) + ::GetLengthSid(m_system) +
                          ::GetLengthSid(m_admins);
    m_acl.assign(aclSize, 0);
    PACL acl = reinterpret_cast<PACL>(m_acl.data());
    if (!::InitializeAcl(acl, aclSize, ACL_REVISION) || !::AddAccessAllowedAce(acl, ACL_REVISION, access, m_system) ||
        !::AddAccessAllowedAce(acl, ACL_REVISION, access, m_admins) ||
        !::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE)) {
      return;
    }
    m_attributes.nLength = sizeof(m_attributes);
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
    m_valid = true;
  }
  ~CObjectSecurity() {
    if (m_system != nullptr) ::FreeSid(m_system);
    if (m_admins != nullptr) ::FreeSid(m_admins);
  }
  CObjectSecurity(const CObjectSecurity&) = delete;
  CObjectSecurity& operator=(const CObjectSecurity&) = delete;

  // Null (the default security) when the descriptor could not be made.
  SECURITY_ATTRIBUTES* Attributes() { return m_valid ? &m_attributes : nullptr; }
  // The administrators group; null when it could not be made.
  PSID Administrators() const { return m_admins; }

 private:
  PSID m_system = nullptr;
  PSID m_admins = nullptr;
  std::vector<BYTE> m_acl;
  SECURITY_DESCRIPTOR m_descriptor = {};
  SECURITY_ATTRIBUTES m_attributes = {};
  bool m_valid = false;
};

SingleInstanceResult Result(SingleInstanceOutcome outcome, DWORD error, bool privateNamespace) {
  SingleInstanceResult result;
  result.outcome = outcome;
  result.error = error;
  result.privateNamespace = privateNamespace;
  return result;
}

BOOL CALLBACK FindMarkedWizard(HWND hwnd, LPARAM found) {
  if (::GetPropW(hwnd, kWizardProperty) == nullptr) return TRUE;
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

}  // namespace

std::wstring DescribeSingleInstance(const SingleInstanceResult& result) {
  const std::wstring lock = result.privateNamespace
                                ? L"the one-wizard lock (a private namespace only administrators and the system open)"
                                : L"the one-wizard lock (the Global\\ name; this system has no private namespaces)";
  switch (result.outcome) {
    case SingleInstanceOutcome::kAcquired:
      return lock + L": taken";
    case SingleInstanceOutcome::kAnotherCopyRuns:
      return lock + FormatString(L": another copy of the wizard holds it (error %d)", result.error);
    case SingleInstanceOutcome::kUnavailable:
      break;
  }
  std::wstring reason = win::SystemErrorText(result.error);
  if (!reason.empty()) reason = L": " + reason;
  return lock + FormatString(L": it cannot be had (error %d%s); the run goes on without it", result.error, reason);
}

SingleInstanceResult CSingleInstance::Acquire() {
  Release();
  return win::HasPrivateNamespaces() ? AcquireInPrivateNamespace() : AcquireGlobalName();
}

void CSingleInstance::Release() {
  m_mutex.Reset();
  m_namespace.Close();
}

SingleInstanceResult CSingleInstance::AcquireInPrivateNamespace() {
  CObjectSecurity namespaceSecurity(GENERIC_ALL);
  CObjectSecurity mutexSecurity(MUTEX_ALL_ACCESS);
  if (namespaceSecurity.Administrators() == nullptr) {
    return Result(SingleInstanceOutcome::kUnavailable, ::GetLastError(), true);
  }
  DWORD error = ERROR_SUCCESS;
  // Fails for a process outside the boundary (not elevated): it could not install anyway, and
  // says so in its log.
  if (!m_namespace.CreateOrOpen(kBoundaryName, namespaceSecurity.Administrators(), namespaceSecurity.Attributes(),
                                kNamespaceAlias, error)) {
    return Result(SingleInstanceOutcome::kUnavailable, error, true);
  }
  m_mutex.Reset(::CreateMutexW(mutexSecurity.Attributes(), FALSE, kNamespaceMutexName));
  error = ::GetLastError();
  if (!m_mutex) {
    m_namespace.Close();
    return Result(SingleInstanceOutcome::kUnavailable, error, true);
  }
  if (error == ERROR_ALREADY_EXISTS) {
    // Only a process inside the boundary can have made it: a wizard of ours.
    Release();
    return Result(SingleInstanceOutcome::kAnotherCopyRuns, error, true);
  }
  return Result(SingleInstanceOutcome::kAcquired, ERROR_SUCCESS, true);
}

// Before Vista there is nothing any user could not also create: any local user may take the
// "Global\" name first. The DACL keeps them from opening or holding our mutex, not from squatting
// the name, and a squatter's mutex looks to us like another copy (it exists, or it shuts us out):
// every install then answers 1618 for as long as the squatter's process keeps it open (a restart
// clears it). A squatter's object of another kind (an event of the same name) cannot be taken for
// a mutex of ours: the lock is unavailable and the run goes on.
SingleInstanceResult CSingleInstance::AcquireGlobalName() {
  CObjectSecurity security(MUTEX_ALL_ACCESS);
  m_mutex.Reset(::CreateMutexW(security.Attributes(), FALSE, kMutexName));
  DWORD error = ::GetLastError();
  if (!m_mutex && (error == ERROR_PATH_NOT_FOUND || error == ERROR_BAD_PATHNAME || error == ERROR_INVALID_NAME)) {
    // A system without the session namespace (Windows NT 4.0 without Terminal Server) refuses
    // the "Global\" prefix: there is only one session to guard.
    m_mutex.Reset(::CreateMutexW(security.Attributes(), FALSE, kLocalMutexName));
    error = ::GetLastError();
  }
  if (m_mutex && error != ERROR_ALREADY_EXISTS) return Result(SingleInstanceOutcome::kAcquired, ERROR_SUCCESS, false);
  if (m_mutex || error == ERROR_ACCESS_DENIED) {
    m_mutex.Reset();
    return Result(SingleInstanceOutcome::kAnotherCopyRuns, error, false);
  }
  return Result(SingleInstanceOutcome::kUnavailable, error, false);
}

bool CSingleInstance::BringFirstWizardToFront() {
  HWND wizard = nullptr;
  ::EnumWindows(&FindMarkedWizard, reinterpret_cast<LPARAM>(&wizard));
  if (wizard == nullptr) return false;
  if (::IsIconic(wizard)) ::ShowWindow(wizard, SW_RESTORE);
  // A box the wizard shows (a message, the test-page dialog) is what the person must answer.
  HWND front = ::GetLastActivePopup(wizard);
  ::SetForegroundWindow(front != nullptr ? front : wizard);
  return true;
}

void CSingleInstance::MarkWizardWindow(HWND frame) {
  if (frame != nullptr) ::SetPropW(frame, kWizardProperty, reinterpret_cast<HANDLE>(1));
}
