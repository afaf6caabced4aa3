#include "package/package_inf.h"
#include <windows.h>
#include "win/app.h"
std::wstring GetProgramDirectory() {
  std::wstring path = win::ModuleFilePath();
  size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
std::wstring PackageInfFileName() { return L"KQPRINTER.INF"; }
bool LoadPackageInfInto(CSetupSettings& settings, const std::wstring&) {
  settings.g_strUsbHardwareId = L"USBPRINT\\KESTROMKQ-80E5A1";
  settings.g_strLptHardwareId = L"LPTENUM\\KESTROMKQ-80E5A1";
  settings.g_strModelDesc = settings.g_strDriverDesc = L"KESTROM KQ-80";
  return true;
}
