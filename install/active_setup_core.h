// Windows' Active Setup, the pure part: at each user's logon Windows compares the version of every
// component under HKLM\SOFTWARE\Microsoft\Active Setup\Installed Components with the one the
// user's own key records, and runs the component's StubPath once for a user whose version is
// missing or lower. No Windows header, so the host build tests it.
#pragma once

#include <string>

// The version after `current` ("1,0,0,7" -> "1,0,0,8"): its last part one higher, so that every
// user gets the step again after a new install. A missing or unreadable version gives "1,0,0,1".
std::wstring NextActiveSetupVersion(const std::wstring& current);

// The per-user step that makes `printerName` the user's default printer: the system's own
// printer-installation entry point, "/y" (set as default), quiet, by the system's rundll32.exe in
// `nativeSystemDirectory` (the one a 64-bit logon runs, "C:\Windows\System32").
std::wstring DefaultPrinterStubPath(const std::wstring& nativeSystemDirectory, const std::wstring& printerName);
