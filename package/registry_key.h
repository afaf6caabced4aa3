// One held registry key with the access rights used to open and create keys below it.
#pragma once

#include <windows.h>

#include <climits>
#include <string>
#include <vector>

class CRegistryKey {
 public:
  CRegistryKey(HKEY root, REGSAM sam);
  virtual ~CRegistryKey();
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;

  void AttachKey(HKEY key);
  HKEY GetKey() const { return m_hKey; }

  BOOL OpenSubKey(const std::wstring& subKey, int createIfMissing);
  BOOL OpenKeyUnder(HKEY parent, const std::wstring& subKey, REGSAM access, int createIfMissing);
  BOOL CreateSubKey(const std::wstring& subKey);
  BOOL CreateKeyUnder(HKEY parent, const std::wstring& subKey);

  static int CountSubKeys(HKEY key);
  // Appends at most `capacity` names (each cut to 512 characters) to `names`, in enumeration
  // order, and returns how many it appended. With a null list it only counts, up to `capacity`.
  // The capacity bounds the listing even when subkeys appear after the caller counted them.
  static int ListSubKeys(HKEY key, std::vector<std::wstring>* names, int capacity);

  BOOL SetDwordValue(const std::wstring& name, DWORD value);
  BOOL GetDwordValue(const std::wstring& name, DWORD& value);
  BOOL SetStringValue(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ);
  BOOL GetStringValue(const std::wstring& name, std::wstring& text);
  BOOL DeleteValue(const std::wstring& name);

 private:
  void ReplaceKey(HKEY key);

  HKEY m_hKey;
  REGSAM m_sam;
};
