#include "core/setup_settings.h"

#include <utility>

#include "package/package_inf.h"

bool LoadPackageInfInto(CSetupSettings& settings, const std::wstring& programDirectory) {
  std::wstring text;
  if (!ReadInfText(programDirectory + L"\\" + PackageInfFileName(), text)) return false;
  InfModelInfo info = ParseInfModelText(text);
  settings.g_driverVer = ReadDriverVer(text);
  settings.g_models = ReadInfPackageModels(text);
  // Taken over, not copied: an id may be the rest of a line many megabytes long.
  settings.g_strUsbHardwareId = std::move(info.usbHardwareId);
  settings.g_strLptHardwareId = std::move(info.lptHardwareId);
  settings.g_strModelDesc = info.usbDescription;
  settings.g_strDriverDesc = std::move(info.usbDescription);
  return true;
}
