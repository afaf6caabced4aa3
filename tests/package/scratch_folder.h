// A throw-away folder under the temporary folder for tests that need real files.
#pragma once

#include <windows.h>

#include <string>

class CScratchFolder {
 public:
  explicit CScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    m_path = std::wstring(temp) + L"kq-" + name + L"-" + std::to_wstring(::GetCurrentProcessId());
    RemoveTree(m_path);
    ::CreateDirectoryW(m_path.c_str(), nullptr);
  }
  ~CScratchFolder() { RemoveTree(m_path); }
  CScratchFolder(const CScratchFolder&) = delete;
  CScratchFolder& operator=(const CScratchFolder&) = delete;

  const std::wstring& Path() const { return m_path; }
  std::wstring operator/(const std::wstring& rest) const { return m_path + L"\\" + rest; }

  static bool WriteFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
  }

  static void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = path + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(child);
        } else {
          ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
          ::DeleteFileW(child.c_str());
        }
      } while (::FindNextFileW(search, &found));
      ::FindClose(search);
    }
    ::RemoveDirectoryW(path.c_str());
  }

 private:
  std::wstring m_path;
};
