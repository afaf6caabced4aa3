#include "shell/single_instance.h"

#include <vector>

#include "win/setup_log.h"

namespace {

// "Global\": one name for every session, so that a wizard started by a deployment tool as the
// local system account and one a person starts see each other.
const wchar_t kMutexName[] = L"Global\\KESTROM.KQSetup.{5B0E43A1-7C2D-4F8E-9A61-3D2C8B7E0F14}";
const wchar_t kLocalMutexName[] = L"KESTROM.KQSetup.{5B0E43A1-7C2D-4F8E-9A61-3D2C8B7E0F14}";
const wchar_t kWizardProperty[] = L"KESTROM.KQSetup.Wizard";

// Full access for the local system account and the administrators: every start of the wizard
// is elevated (its manifest asks for it), so a second one, whoever started it, may open the
// mutex the first one made; nobody else may take it.
class CMutexSecurity {
 public:
  CMutexSecurity() {
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
    if (!::InitializeAcl(acl, aclSize, ACL_REVISION) ||
        !::AddAccessAllowedAce(acl, ACL_REVISION, MUTEX_ALL_ACCESS, m_system) ||
        !::AddAccessAllowedAce(acl, ACL_REVISION, MUTEX_ALL_ACCESS, m_admins) ||
        !::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE)) {
      return;
    }
    m_attributes.nLength = sizeof(m_attributes);
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
    m_valid = true;
  }
  ~CMutexSecurity() {
    if (m_system != nullptr) ::FreeSid(m_system);
    if (m_admins != nullptr) ::FreeSid(m_admins);
  }
  CMutexSecurity(const CMutexSecurity&) = delete;
  CMutexSecurity& operator=(const CMutexSecurity&) = delete;

  // Null (the default security) when the descriptor could not be made.
  SECURITY_ATTRIBUTES* Attributes() { return m_valid ? &m_attributes : nullptr; }

 private:
  PSID m_system = nullptr;
  PSID m_admins = nullptr;
  std::vector<BYTE> m_acl;
  SECURITY_DESCRIPTOR m_descriptor = {};
  SECURITY_ATTRIBUTES m_attributes = {};
  bool m_valid = false;
};

BOOL CALLBACK FindMarkedWizard(HWND hwnd, LPARAM found) {
  if (::GetPropW(hwnd, kWizardProperty) == nullptr) return TRUE;
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

}  // namespace

bool CSingleInstance::Acquire() {
  CMutexSecurity security;
  m_mutex.Reset(::CreateMutexW(security.Attributes(), FALSE, kMutexName));
  DWORD error = ::GetLastError();
  if (!m_mutex && error != ERROR_ACCESS_DENIED) {
    // A system without the session namespace (Windows NT 4.0 without Terminal Server) refuses
    // the "Global\" prefix: there is only one session to guard.
    m_mutex.Reset(::CreateMutexW(security.Attributes(), FALSE, kLocalMutexName));
    error = ::GetLastError();
  }
  if (m_mutex && error != ERROR_ALREADY_EXISTS) return true;
  win::Log(L"another copy of the wizard is running (error %d)", static_cast<unsigned long>(error));
  // The mutex exists (or this process may not open it): another wizard holds it.
  if (m_mutex || error == ERROR_ACCESS_DENIED) {
    m_mutex.Reset();
    return false;
  }
  // No mutex at all could be made: better one wizard too many than none.
  win::Log(L"no single-instance guard could be made (error %d); going on", static_cast<unsigned long>(error));
  return true;
}

void CSingleInstance::BringFirstWizardToFront() {
  HWND wizard = nullptr;
  ::EnumWindows(&FindMarkedWizard, reinterpret_cast<LPARAM>(&wizard));
  if (wizard == nullptr) return;
  if (::IsIconic(wizard)) ::ShowWindow(wizard, SW_RESTORE);
  // A box the wizard shows (a message, the test-page dialog) is what the person must answer.
  HWND front = ::GetLastActivePopup(wizard);
  ::SetForegroundWindow(front != nullptr ? front : wizard);
}

void CSingleInstance::MarkWizardWindow(HWND frame) {
  if (frame != nullptr) ::SetPropW(frame, kWizardProperty, reinterpret_cast<HANDLE>(1));
}
