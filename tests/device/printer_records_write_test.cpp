// Writing the printer class record, the numbered driver subkey and the device side values,
// against a redirected HKEY_LOCAL_MACHINE.
#include <gtest/gtest.h>

#include "device/printer_records.h"
#include "support/redirected_hklm.h"
#include "tests/device/device_test_support.h"
#include "win/format_core.h"

namespace {

using devicetest::CreateKey;
using devicetest::KeyExists;
using devicetest::ReadNumber;
using devicetest::ReadText;

const std::wstring kClassKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
const std::wstring kUsbDevices = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT";
const std::wstring kLptDevices = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM";
const std::wstring kDriverPrefix = L"{4D36E979-E325-11CE-BFC1-08002BE10318}\\";

class RecordWritingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_hklm.IsActive());
    m_saved = SetupSettings;
    SetupSettings = CSetupSettings();
    SetupSettings.AssignFixedValues();
    SetupSettings.g_strDriverDesc = L"KESTROM KQ-80";
    SetupSettings.g_strModelDesc = L"KESTROMPrinter";
  }
  void TearDown() override { SetupSettings = m_saved; }

  kqtest::RedirectedHklm m_hklm{L"RecordWriting"};
  CSetupSettings m_saved;
};

TEST_F(RecordWritingTest, NewClassKeyGetsClassValuesAndDriverSubkey0000) {
  WritePrinterUsbRecords(L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_EQ(L"", ReadText(kClassKey, L""));
  EXPECT_EQ(L"Printer", ReadText(kClassKey, L"Class"));
  EXPECT_EQ(L"-4", ReadText(kClassKey, L"Icon"));
  EXPECT_EQ(L"ntprint.dll,ClassInstall32", ReadText(kClassKey, L"Installer32"));
  EXPECT_EQ(L"1", ReadText(kClassKey, L"NoDisplayClass"));
  EXPECT_EQ(L"printui.dll,PrinterPropPageProvider", ReadText(kClassKey, L"EnumPropPages32"));

  const std::wstring driver = kClassKey + L"\\0000";
  EXPECT_EQ(L"KESTROM", ReadText(driver, L"ProviderName"));
  EXPECT_EQ(L"usbprint\\USBPRINT\\KESTROMKQ-80E5A1", ReadText(driver, L"MatchingDeviceId"));
  EXPECT_EQ(L"KESTROM KQ-80", ReadText(driver, L"DriverDesc"));
  // No device matched, so no side value.
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"_Driver"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"_ToPath"));

  // A second install adds 0001 and leaves the class values alone.
  HKEY classKey = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kClassKey.c_str(), 0, KEY_ALL_ACCESS, &classKey));
  ::RegDeleteValueW(classKey, L"Icon");
  ::RegCloseKey(classKey);
  WriteLptPrinterRecords(L"LPTENUM\\KESTROMKQ-80E5A1");
  EXPECT_EQ(L"LPTENUM\\LPTENUM\\KESTROMKQ-80E5A1", ReadText(kClassKey + L"\\0001", L"MatchingDeviceId"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"Icon"));
}

TEST_F(RecordWritingTest, NumberingFollowsTheLargestExistingSubkey) {
  for (const wchar_t* name : {L"0000", L"0001", L"0005"}) ASSERT_TRUE(CreateKey(kClassKey + L"\\" + name));
  WritePrinterUsbRecords(L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_TRUE(KeyExists(kClassKey + L"\\0006"));
  EXPECT_FALSE(KeyExists(kClassKey + L"\\0002"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"Class"));
}

TEST_F(RecordWritingTest, LoneNonNumericSubkeyCountsAsZero) {
  ASSERT_TRUE(CreateKey(kClassKey + L"\\Properties"));
  WritePrinterUsbRecords(L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_TRUE(KeyExists(kClassKey + L"\\0001"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"Class"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"Icon"));
}

TEST_F(RecordWritingTest, NegativeLookingSubkeyStillSuppressesTheClassValues) {
  ASSERT_TRUE(CreateKey(kClassKey + L"\\-5"));
  WritePrinterUsbRecords(L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_TRUE(KeyExists(kClassKey + L"\\0001"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"Class"));
}

TEST_F(RecordWritingTest, UsbSideValuesPointAtTheFirstMatchingDevice) {
  ASSERT_TRUE(CreateKey(kUsbDevices + L"\\OTHERPRINTER0001\\1"));
  ASSERT_TRUE(CreateKey(kUsbDevices + L"\\KestromPrinter1A2B\\7&1&0&USB001"));
  ASSERT_TRUE(CreateKey(kUsbDevices + L"\\KESTROMPRINTER3C4D\\7&2&0&USB002"));
  WritePrinterUsbRecords(L"USBPRINT\\KESTROMPRINTERDCDD");

  EXPECT_EQ(L"KESTROMPrinter", ReadText(kClassKey, L"_DeviceDesc"));
  EXPECT_EQ(0, ReadNumber(kClassKey, L"_ConfigFlags"));
  EXPECT_EQ(L"{4D36E979-E325-11CE-BFC1-08002BE10318}", ReadText(kClassKey, L"_ClassGUID"));
  EXPECT_EQ(L"Printer", ReadText(kClassKey, L"_Class"));
  EXPECT_EQ(kDriverPrefix + L"0000", ReadText(kClassKey, L"_Driver"));
  EXPECT_EQ(L"KESTROM", ReadText(kClassKey, L"_Mfg"));
  EXPECT_EQ(0, ReadNumber(kClassKey, L"_UpdateMode"));
  EXPECT_EQ(kUsbDevices + L"\\KESTROMPRINTER1A2B", ReadText(kClassKey, L"_ToPath"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"_BrandSeries"));
  // The device's own key is left alone; the helper service moves the values there.
  EXPECT_EQ(L"<missing>", ReadText(kUsbDevices + L"\\KestromPrinter1A2B\\7&1&0&USB001", L"Driver"));
}

TEST_F(RecordWritingTest, UsbDeviceNamedWithoutTheDescriptionsSpacesStillMatches) {
  SetupSettings.g_strModelDesc = L"KESTROM KQ-80";
  ASSERT_TRUE(CreateKey(kUsbDevices + L"\\KESTROMKQ-58A0B1\\7&1&0&USB001"));
  ASSERT_TRUE(CreateKey(kUsbDevices + L"\\KESTROM_KQ-80E5A1\\7&2&0&USB002"));
  WritePrinterUsbRecords(L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_EQ(kUsbDevices + L"\\KESTROM_KQ-80E5A1", ReadText(kClassKey, L"_ToPath"));
  EXPECT_EQ(L"KESTROM KQ-80", ReadText(kClassKey, L"_DeviceDesc"));
}

TEST_F(RecordWritingTest, NoMatchingUsbDeviceWritesNoSideValue) {
  SetupSettings.g_strModelDesc = L"KESTROM KQ-80";
  ASSERT_TRUE(CreateKey(kUsbDevices + L"\\KESTROMKQ-58A0B1\\7&1&0&USB001"));
  WritePrinterUsbRecords(L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_TRUE(KeyExists(kClassKey + L"\\0000"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"_ToPath"));
}

TEST_F(RecordWritingTest, LptSideValuesWithBrandSeriesAndCapitalisedPath) {
  ASSERT_TRUE(CreateKey(kLptDevices + L"\\kqprinter9f0e\\LPT1.0"));
  ASSERT_TRUE(CreateKey(kLptDevices + L"\\KQPRINTERAAAA\\LPT2.0"));
  ASSERT_TRUE(CreateKey(kClassKey + L"\\0003"));
  WriteLptPrinterRecords(L"LPTENUM\\KESTROMKQ-80E5A1");

  EXPECT_EQ(L"LPTENUM\\LPTENUM\\KESTROMKQ-80E5A1", ReadText(kClassKey + L"\\0004", L"MatchingDeviceId"));
  EXPECT_EQ(L"KESTROMPrinter", ReadText(kClassKey, L"_DeviceDesc"));
  EXPECT_EQ(0, ReadNumber(kClassKey, L"_ConfigFlags"));
  EXPECT_EQ(L"{4D36E979-E325-11CE-BFC1-08002BE10318}", ReadText(kClassKey, L"_ClassGUID"));
  EXPECT_EQ(kDriverPrefix + L"0004", ReadText(kClassKey, L"_Driver"));
  EXPECT_EQ(L"Printer", ReadText(kClassKey, L"_Class"));
  EXPECT_EQ(L"KESTROM", ReadText(kClassKey, L"_Mfg"));
  EXPECT_EQ(2, ReadNumber(kClassKey, L"_UpdateMode"));
  EXPECT_EQ(L"KESTROMKQ", ReadText(kClassKey, L"_BrandSeries"));
  const std::vector<std::wstring> devices = devicetest::SubKeys(kLptDevices);
  ASSERT_EQ(2u, devices.size());
  EXPECT_EQ(kLptDevices + L"\\" + ToUpperAscii(devices.front()), ReadText(kClassKey, L"_ToPath"));
}

TEST_F(RecordWritingTest, NoMatchingLptDeviceWritesNoSideValue) {
  ASSERT_TRUE(CreateKey(kLptDevices + L"\\KESTROMKQ-80_3E1A\\LPT1.0"));
  WriteLptPrinterRecords(L"LPTENUM\\KESTROMKQ-80E5A1");
  EXPECT_TRUE(KeyExists(kClassKey + L"\\0000"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"_ToPath"));
}

}  // namespace
