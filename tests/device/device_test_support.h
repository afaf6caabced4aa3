// Shared pieces of the device tests: reading back registry values through the (redirected)
// HKEY_LOCAL_MACHINE, and recording the message boxes a test expects.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "win/app.h"

namespace devicetest {

inline bool KeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

// The text of a REG_SZ value; "<missing>" or "<type N>" otherwise, so that a failure says why.
inline std::wstring ReadText(const std::wstring& path, const std::wstring& name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<no key>";
  wchar_t buffer[1024] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  DWORD type = 0;
  const LONG result =
      ::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS) return L"<missing>";
  if (type != REG_SZ) return L"<type " + std::to_wstring(type) + L">";
  return buffer;
}

// A REG_DWORD value, or -1 when it is missing or of another type.
inline long long ReadNumber(const std::wstring& path, const std::wstring& name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  DWORD value = 0;
  DWORD size = sizeof(value);
  DWORD type = 0;
  const LONG result = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_DWORD) return -1;
  return value;
}

inline std::vector<std::wstring> SubKeys(const std::wstring& path) {
  std::vector<std::wstring> names;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD chars = 256;
    if (::RegEnumKeyExW(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name);
  }
  ::RegCloseKey(key);
  return names;
}

inline bool CreateKey(const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(key);
  return true;
}

struct RecordedBox {
  std::wstring text;
  std::wstring caption;
  UINT type;
  HWND owner;
};

// Answers every message box with OK and records it; afterwards any box fails the test again.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder() {
    win::SetMessageBoxHook([this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
      boxes.push_back(RecordedBox{text, caption, type, owner});
      return IDOK;
    });
  }
  ~MessageBoxRecorder() {
    win::SetMessageBoxHook([](HWND, const std::wstring&, const std::wstring&, UINT) {
      ADD_FAILURE() << "unexpected message box";
      return IDOK;
    });
  }
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  std::vector<RecordedBox> boxes;
};

}  // namespace devicetest
