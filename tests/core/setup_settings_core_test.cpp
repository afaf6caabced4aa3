#include <gtest/gtest.h>

#include "core/setup_settings.h"

TEST(SetupSettings, FixedValuesAfterStartUp) {
  CSetupSettings s;
  EXPECT_EQ(s.g_nModelQueryCount, 0);
  EXPECT_EQ(s.g_ePortType, Connection::kUsb);
  s.AssignFixedValues();
  EXPECT_EQ(s.g_strBrandName, L"凯朗");
  EXPECT_EQ(s.g_strQueryMarker, L"DCDD");
  EXPECT_EQ(s.g_strProviderName, L"KESTROM");
  EXPECT_EQ(s.g_strSeriesCode, L"KQ");
  EXPECT_EQ(s.g_strPrinterSuffix, L"PRINTER");
  EXPECT_EQ(s.g_strPackageName, L"KQPRINTER");
  EXPECT_TRUE(s.g_strPrinterName.empty());
  EXPECT_TRUE(s.g_strModelDesc.empty());
  EXPECT_STREQ(L"USB", ConnectionName(Connection::kUsb));
  EXPECT_STREQ(L"LPT", ConnectionName(Connection::kLpt));
}

TEST(SetupSettings, APackageSupportsAConnectionWithAUsableHardwareId) {
  CPackageSettings package;
  package.g_strUsbHardwareId = L"USBPRINT\\KESTROMKQ-80E5A1";
  package.g_strLptHardwareId = L"LPTENUM\\KESTROMKQ-80ffFF";
  EXPECT_TRUE(package.Supports(Connection::kUsb));
  EXPECT_FALSE(package.Supports(Connection::kLpt));
  package.g_strUsbHardwareId.clear();
  EXPECT_FALSE(package.Supports(Connection::kUsb));

  EXPECT_TRUE(IsSupportedHardwareId(L"LPTENUM\\KESTROMKQ-80E5A1"));
  EXPECT_FALSE(IsSupportedHardwareId(L"LPTENUM\\KESTROMKQ-80FFFF"));
  EXPECT_FALSE(IsSupportedHardwareId(L"LPTENUM\\KESTROMKQ-80fFfF")) << "compared in capitals";
  EXPECT_FALSE(IsSupportedHardwareId(L""));
  EXPECT_TRUE(IsSupportedHardwareId(L"FFF")) << "a short id is compared whole";
  EXPECT_FALSE(IsSupportedHardwareId(L"ffff"));
  EXPECT_TRUE(IsSupportedHardwareId(L"USBPRINT\\KQFFFFX"));
}
