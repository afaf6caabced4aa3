// The seeding library writes records the detection reads as a real system's, and clears them.
#include "support/seed_records.h"

#include <gtest/gtest.h>

#include "core/detection_run.h"
#include "device/printer_records.h"
#include "support/redirected_hklm.h"
#include "tests/device/device_test_support.h"

namespace {

TEST(SeedRecords, DemoPrinterIsDetectedAndClearedAway) {
  kqtest::RedirectedHklm hklm(L"SeedRecords");
  ASSERT_TRUE(hklm.IsActive());
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  ASSERT_TRUE(kqseed::SeedLptPrinter());
  ASSERT_TRUE(devicetest::CreateKey(
      L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}\\0000"));

  CSetupSettings settings;
  settings.AssignFixedValues();
  EXPECT_TRUE(IsPrinterUsbEnumerated());
  EXPECT_EQ(Identification::kIdentified, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_EQ(L"KQ-80", settings.g_strPrinterName);
  EXPECT_EQ(L"USB001", settings.g_strPortName);
  EXPECT_EQ(L"USBPRINT\\KESTROMKQ-80E5A1", FindPrinterUsbHardwareId(L"KESTROM KQ-80"));

  EXPECT_TRUE(kqseed::ClearSeededRecords());
  EXPECT_FALSE(IsPrinterUsbEnumerated());
  EXPECT_EQ(L"", FindPrinterUsbHardwareId(L"KESTROM KQ-80"));
  EXPECT_FALSE(devicetest::KeyExists(L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_5E1A&PID_0001"));
  EXPECT_FALSE(devicetest::KeyExists(L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM"));
  // The class key is an install's, not a seed's: it goes only on request.
  EXPECT_TRUE(devicetest::KeyExists(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}"));
  // On a real Windows these are the machine's own records: nothing is deleted there.
  kqseed::PretendOutsideWineForTesting(true);
  ASSERT_TRUE(kqseed::SeedLptPrinter());
  EXPECT_FALSE(kqseed::ClearPrinterClassRecords());
  EXPECT_FALSE(kqseed::ClearSeededRecords());
  kqseed::PretendOutsideWineForTesting(false);
  EXPECT_TRUE(devicetest::KeyExists(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}"));
  EXPECT_TRUE(devicetest::KeyExists(L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM"));
  EXPECT_TRUE(kqseed::ClearPrinterClassRecords());
  EXPECT_FALSE(devicetest::KeyExists(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}"));
  // Clearing twice is fine.
  EXPECT_TRUE(kqseed::ClearSeededRecords());
}

}  // namespace
