// The one global record through which the wizard's parts exchange what they learn: brand texts,
// what the driver package's INF says, the detected printer and the chosen connection.
#pragma once

#include <string>

struct CSetupSettings {
  int g_nModelQueryCount = 0;
  std::wstring g_strBrandName;
  std::wstring g_strProviderName;
  std::wstring g_strSeriesCode;
  std::wstring g_strPrinterSuffix;
  std::wstring g_strPackageName;
  std::wstring g_strModelDesc;
  std::wstring g_strDriverDesc;
  std::wstring g_strPrinterName;
  std::wstring g_strPortName;
  std::wstring g_strPortType;
  std::wstring g_strQueryMarker;
  std::wstring g_strLptHardwareId;
  std::wstring g_strUsbHardwareId;

  // The fixed values that start-up assigns before the INF is read.
  void AssignFixedValues();
};

extern CSetupSettings SetupSettings;

// Major version of an NT-family system; 0 on any other platform or when the query failed.
extern unsigned int g_nOsMajorVersion;
unsigned int GetOsMajorVersion();
