#include "support/redirected_hklm.h"

#include <shlwapi.h>

#include "win/format_core.h"

namespace kqtest {

RedirectedHklm::RedirectedHklm(const std::wstring& name) : m_scratch(nullptr), m_active(false) {
  m_path = FormatString(L"Software\\KQTests\\%s-%d", name, static_cast<unsigned long>(::GetCurrentProcessId()));
  ::SHDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &m_scratch, nullptr) != ERROR_SUCCESS) {
    m_scratch = nullptr;
    return;
  }
  m_active = ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_scratch) == ERROR_SUCCESS;
}

RedirectedHklm::~RedirectedHklm() {
  if (m_active) ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  if (m_scratch != nullptr) ::RegCloseKey(m_scratch);
  ::SHDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
}

}  // namespace kqtest
