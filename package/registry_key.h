// One held registry key with the access rights used to open and create keys below it.
#pragma once

#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include "win/handles.h"

class CRegistryKey {
 public:
  CRegistryKey(HKEY root, REGSAM sam);
  virtual ~CRegistryKey();
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;

  void AttachKey(HKEY key);
  HKEY GetKey() const { return m_key.Get(); }

  BOOL OpenSubKey(const std::wstring& subKey, int createIfMissing);
  BOOL OpenKeyUnder(HKEY parent, const std::wstring& subKey, REGSAM access, int createIfMissing);
  BOOL CreateSubKey(const std::wstring& subKey);
  BOOL CreateKeyUnder(HKEY parent, const std::wstring& subKey);

  static int CountSubKeys(HKEY key);
  // Appends at most `capacity` names (each cut to 512 characters) to `names`, in enumeration
  // order, and returns how many it appended. With a null list it only counts, up to `capacity`.
  // The capacity bounds the listing even when subkeys appear after the caller counted them.
  static int ListSubKeys(HKEY key, std::vector<std::wstring>* names, int capacity);
  // The names of the subkeys of `key` in enumeration order, bounded by the count taken first.
  static std::vector<std::wstring> SubKeyNames(HKEY key);
  // Removes `subKey` of `root` with everything below it, in the registry view `view` names
  // (0, or KEY_WOW64_64KEY / KEY_WOW64_32KEY on 64-bit Windows). True when it is gone, also when it
  // was not there.
  static bool DeleteTree(HKEY root, const std::wstring& subKey, REGSAM view);

  BOOL SetDwordValue(const std::wstring& name, DWORD value);
  BOOL GetDwordValue(const std::wstring& name, DWORD& value);
  BOOL SetStringValue(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ);
  BOOL GetStringValue(const std::wstring& name, std::wstring& text);
  BOOL DeleteValue(const std::wstring& name);

 private:
  void ReplaceKey(HKEY key);

  // A predefined root key (HKEY_LOCAL_MACHINE ...) is held but never closed: its owner type
  // counts it as no key of its own.
  win::ScopedKey m_key;
  REGSAM m_sam;
};
