// Points HKEY_LOCAL_MACHINE of this process at a fresh scratch key below
// HKCU\Software\KQTests for the lifetime of the object, so code under test keeps its real
// HKEY_LOCAL_MACHINE paths without touching the machine's records. The scratch key is deleted
// and the redirection undone on destruction.
#pragma once

#include <windows.h>

#include <string>

namespace kqtest {

class RedirectedHklm {
 public:
  explicit RedirectedHklm(const std::wstring& name);
  ~RedirectedHklm();
  RedirectedHklm(const RedirectedHklm&) = delete;
  RedirectedHklm& operator=(const RedirectedHklm&) = delete;

  bool IsActive() const { return m_active; }
  // Path of the scratch key below HKEY_CURRENT_USER.
  const std::wstring& ScratchPath() const { return m_path; }

 private:
  std::wstring m_path;
  HKEY m_scratch;
  bool m_active;
};

}  // namespace kqtest
