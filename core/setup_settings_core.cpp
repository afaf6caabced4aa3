#include "core/setup_settings.h"

#include "win/format_core.h"

const wchar_t* ConnectionName(Connection connection) { return connection == Connection::kLpt ? L"LPT" : L"USB"; }

void CPackageSettings::AssignFixedValues() {
  g_strBrandName.assign(L"凯朗", 2);
  g_strQueryMarker.assign(L"DCDD", 4);
  g_strProviderName.assign(L"KESTROM", 7);
  g_strSeriesCode.assign(L"KQ", 2);
  g_strPrinterSuffix.assign(L"PRINTER", 7);
  g_strPackageName.assign(L"KQPRINTER", 9);
}

bool CPackageSettings::Supports(Connection connection) const {
  return IsSupportedHardwareId(connection == Connection::kLpt ? g_strLptHardwareId : g_strUsbHardwareId);
}

bool IsSupportedHardwareId(const std::wstring& hardwareId) {
  if (hardwareId.empty()) return false;
  const std::wstring tail = hardwareId.size() > 4 ? hardwareId.substr(hardwareId.size() - 4) : hardwareId;
  return ToUpperAscii(tail) != L"FFFF";
}
