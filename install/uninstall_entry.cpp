#include "install/uninstall_entry.h"

#include <windows.h>

#include "package/registry_key.h"

const wchar_t kUninstallEntryKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KESTROM.KQSetup";

bool WriteUninstallEntry(const UninstallEntry& entry) {
  CRegistryKey key(HKEY_LOCAL_MACHINE, KEY_READ | KEY_WRITE);
  if (!key.OpenSubKey(kUninstallEntryKey, 1)) return false;
  const std::wstring program = L"\"" + entry.programCopy + L"\"";
  return key.SetStringValue(L"DisplayName", entry.displayName) &&
         key.SetStringValue(L"DisplayVersion", entry.displayVersion) &&
         key.SetStringValue(L"Publisher", entry.publisher) && key.SetStringValue(L"InstallDate", entry.installDate) &&
         key.SetDwordValue(L"EstimatedSize", entry.estimatedSizeKb) &&
         key.SetStringValue(L"DisplayIcon", entry.programCopy + L",0") &&
         key.SetStringValue(L"UninstallString", program + L" /uninstall") &&
         key.SetStringValue(L"QuietUninstallString", program + L" /uninstall /S") &&
         key.SetDwordValue(L"NoModify", 1) && key.SetDwordValue(L"NoRepair", 1);
}

bool ReadUninstallEntryVersion(std::wstring& version) {
  CRegistryKey key(HKEY_LOCAL_MACHINE, KEY_READ);
  return key.OpenSubKey(kUninstallEntryKey, 0) && key.GetStringValue(L"DisplayVersion", version);
}

bool DeleteUninstallEntry() { return CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kUninstallEntryKey, 0); }
