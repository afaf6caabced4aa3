#include "install/active_setup.h"

#include <windows.h>

#include "install/active_setup_core.h"
#include "package/registry_key.h"
#include "win/newer_apis.h"
#include "win/setup_log.h"
#include "win/system_library.h"
#include "win/wow64.h"

const wchar_t kDefaultPrinterActiveSetupKey[] =
    L"SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{6F1C2A7E-3B5D-4C8E-9A41-5E1A0000C0DE}";

namespace {

// Windows' logon reads the machine's own registry view: on 64-bit Windows that is the 64-bit one,
// which this 32-bit program must name (KEY_WOW64_64KEY exists from 64-bit Windows XP on; older
// systems refuse flags they do not know, and have only the one view).
REGSAM MachineView() { return win::IsRunningUnderWow64() ? KEY_WOW64_64KEY : 0; }

// The system directory as a 64-bit logon sees it: "<Windows>\System32".
std::wstring NativeSystemDirectory() {
  const std::wstring windows = win::SystemWindowsDirectory();
  if (windows.empty()) return win::SystemDirectory();
  return windows + (windows.back() == L'\\' ? L"" : L"\\") + L"System32";
}

}  // namespace

std::wstring RegisterDefaultPrinterForEveryUser(const std::wstring& printerName, bool currentUserDone) {
  const REGSAM access = KEY_READ | KEY_WRITE | MachineView();
  CRegistryKey machine(HKEY_LOCAL_MACHINE, access);
  if (!machine.OpenSubKey(kDefaultPrinterActiveSetupKey, 1)) {
    win::Log(L"default printer for every user: the Active Setup entry cannot be written");
    return std::wstring();
  }
  std::wstring version;
  machine.GetStringValue(L"Version", version);
  version = NextActiveSetupVersion(version);
  const std::wstring stubPath = DefaultPrinterStubPath(NativeSystemDirectory(), printerName);
  const bool written = machine.SetStringValue(L"", L"KQ printer: default printer") &&
                       machine.SetStringValue(L"StubPath", stubPath) && machine.SetDwordValue(L"IsInstalled", 1) &&
                       machine.SetStringValue(L"Version", version);
  if (!written) {
    win::Log(L"default printer for every user: the Active Setup entry cannot be written");
    return std::wstring();
  }
  if (currentUserDone) {
    CRegistryKey user(HKEY_CURRENT_USER, access);
    if (user.OpenSubKey(kDefaultPrinterActiveSetupKey, 1)) user.SetStringValue(L"Version", version);
  }
  win::Log(L"default printer for every user: Active Setup %s, version %s, at each user's next logon: %s",
           kDefaultPrinterActiveSetupKey, version, stubPath);
  return stubPath;
}
