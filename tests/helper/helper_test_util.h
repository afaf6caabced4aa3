// Small helpers of the helper-service, payload and service-control tests: a scratch folder, a
// redirected HKEY_LOCAL_MACHINE and whole-file reads.
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "win/handles.h"

namespace kqtest {

inline std::wstring UniqueSuffix() {
  static LONG counter = 0;
  return std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(::InterlockedIncrement(&counter));
}

// A fresh folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& prefix) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    m_path = std::wstring(temp) + prefix + UniqueSuffix();
    ::CreateDirectoryW(m_path.c_str(), nullptr);
  }
  ~ScratchFolder() { RemoveTree(m_path); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::wstring& Path() const { return m_path; }
  std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

 private:
  static void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    win::ScopedFindHandle find(::FindFirstFileW((path + L"\\*").c_str(), &data));
    if (find) {
      do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = path + L"\\" + name;
        ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(child);
        } else {
          ::DeleteFileW(child.c_str());
        }
      } while (::FindNextFileW(find.Get(), &data));
    }
    ::RemoveDirectoryW(path.c_str());
  }
  std::wstring m_path;
};

// Redirects HKEY_LOCAL_MACHINE of this process to a scratch key for the object's lifetime.
class RedirectedLocalMachine {
 public:
  RedirectedLocalMachine() {
    m_path = L"Software\\KQTests\\helpersvc_" + UniqueSuffix();
    ::RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, m_root.Receive(),
                      nullptr);
    m_ok = m_root && ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_root.Get()) == ERROR_SUCCESS;
  }
  ~RedirectedLocalMachine() {
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    m_root.Reset();
    ::SHDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
  }
  RedirectedLocalMachine(const RedirectedLocalMachine&) = delete;
  RedirectedLocalMachine& operator=(const RedirectedLocalMachine&) = delete;
  bool Ok() const { return m_ok; }

 private:
  std::wstring m_path;
  win::ScopedKey m_root;
  bool m_ok = false;
};

inline bool ReadFileBytes(const std::wstring& path, std::vector<BYTE>& bytes) {
  win::ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.Get(), &size)) return false;
  bytes.assign(static_cast<size_t>(size.QuadPart), 0);
  DWORD read = 0;
  return bytes.empty() ||
         (::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
          read == bytes.size());
}

inline std::string ReadFileText(const std::wstring& path) {
  std::vector<BYTE> bytes;
  if (!ReadFileBytes(path, bytes)) return std::string();
  return std::string(bytes.begin(), bytes.end());
}

inline bool WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes) {
  win::ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return bytes.empty() ||
         (::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
          written == bytes.size());
}

// Registry reads for checks: an absent value reads as a marker text / number.
inline std::wstring RegText(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  DWORD type = 0;
  if (::RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, &type, buffer, &size) != ERROR_SUCCESS) {
    return L"<missing>";
  }
  return buffer;
}

inline DWORD RegNumber(HKEY root, const std::wstring& key, const wchar_t* name, DWORD missing = 0xDEADBEEF) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (::RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return missing;
  }
  return value;
}

inline bool RegHasValue(HKEY root, const std::wstring& key, const wchar_t* name) {
  win::ScopedKey opened;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.Receive()) != ERROR_SUCCESS) return false;
  return ::RegQueryValueExW(opened.Get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

inline bool RegKeyExists(HKEY root, const std::wstring& key) {
  win::ScopedKey opened;
  return ::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.Receive()) == ERROR_SUCCESS;
}

inline void RegSetText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  win::ScopedKey opened;
  ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, opened.Receive(), nullptr);
  ::RegSetValueExW(opened.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

inline void RegSetNumber(HKEY root, const std::wstring& key, const wchar_t* name, DWORD value) {
  win::ScopedKey opened;
  ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, opened.Receive(), nullptr);
  ::RegSetValueExW(opened.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

inline void RegMakeKey(HKEY root, const std::wstring& key) {
  win::ScopedKey opened;
  ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, opened.Receive(), nullptr);
}

constexpr wchar_t kPrinterClassKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
constexpr wchar_t kPrinterClassGuid[] = L"{4D36E979-E325-11CE-BFC1-08002BE10318}";

}  // namespace kqtest
