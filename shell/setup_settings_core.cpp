#include "shell/setup_settings.h"

CSetupSettings SetupSettings;
unsigned int g_nOsMajorVersion = 0;

unsigned int GetOsMajorVersion() { return g_nOsMajorVersion; }

void CSetupSettings::AssignFixedValues() {
  // Start-up assigns in this order: brand, query marker, provider, series, suffix, package, port type.
  g_strBrandName.assign(L"凯朗", 2);
  g_strQueryMarker.assign(L"DCDD", 4);
  g_strProviderName.assign(L"KESTROM", 7);
  g_strSeriesCode.assign(L"KQ", 2);
  g_strPrinterSuffix.assign(L"PRINTER", 7);
  g_strPackageName.assign(L"KQPRINTER", 9);
  g_strPortType.assign(L"USB", 3);
}
