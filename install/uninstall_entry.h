// The program's entry in Windows' Programs and Features (and Settings' Apps): the key Windows reads
// below HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall. A 32-bit program writes it in the
// 32-bit registry view on 64-bit Windows, as 32-bit installers do; Programs and Features lists both.
#pragma once

#include <string>

// "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KESTROM.KQSetup"
extern const wchar_t kUninstallEntryKey[];

struct UninstallEntry {
  std::wstring displayName;     // the series and the word for driver
  std::wstring displayVersion;  // the driver package's version
  std::wstring publisher;       // the driver's provider
  std::wstring installDate;     // "yyyymmdd"
  unsigned long estimatedSizeKb = 0;
  std::wstring programCopy;     // the program that removes it, by its full path
};

// Writes the entry: the names and versions above, DisplayIcon, UninstallString ("<copy>"
// /uninstall) and QuietUninstallString ("<copy>" /uninstall /S), both quoted, NoModify and
// NoRepair. False when it cannot be written.
bool WriteUninstallEntry(const UninstallEntry& entry);

// The entry's DisplayVersion; false when there is no entry.
bool ReadUninstallEntryVersion(std::wstring& version);

bool DeleteUninstallEntry();
