#include <gtest/gtest.h>

#include "shell/setup_settings.h"

TEST(SetupSettings, FixedValuesAfterStartUp) {
  CSetupSettings s;
  EXPECT_EQ(s.g_nModelQueryCount, 0);
  EXPECT_TRUE(s.g_strPortType.empty());
  s.AssignFixedValues();
  EXPECT_EQ(s.g_strBrandName, L"凯朗");
  EXPECT_EQ(s.g_strQueryMarker, L"DCDD");
  EXPECT_EQ(s.g_strProviderName, L"KESTROM");
  EXPECT_EQ(s.g_strSeriesCode, L"KQ");
  EXPECT_EQ(s.g_strPrinterSuffix, L"PRINTER");
  EXPECT_EQ(s.g_strPackageName, L"KQPRINTER");
  EXPECT_EQ(s.g_strPortType, L"USB");
  EXPECT_TRUE(s.g_strPrinterName.empty());
  EXPECT_TRUE(s.g_strModelDesc.empty());
}
