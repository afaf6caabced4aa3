// Writing the printer class record, the numbered driver subkey and the device side values,
// against a redirected HKEY_LOCAL_MACHINE.
#include <gtest/gtest.h>

#include "core/detection_run.h"
#include "device/device_records_writer.h"
#include "support/redirected_hklm.h"
#include "support/seed_records.h"
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
    m_values.providerName = L"KESTROM";
    m_values.driverDesc = L"KESTROM KQ-80";
    m_values.modelDesc = L"KESTROMPrinter";
    m_values.seriesCode = L"KQ";
    m_values.printerSuffix = L"PRINTER";
  }

  DeviceRecordsWritten WriteUsb(const std::wstring& hardwareId) {
    m_values.hardwareId = hardwareId;
    return WritePrinterUsbRecords(m_values);
  }
  DeviceRecordsWritten WriteLpt(const std::wstring& hardwareId) {
    m_values.hardwareId = hardwareId;
    return WriteLptPrinterRecords(m_values);
  }

  // A printer the USB printing service lists, with its USBPRINT device key: of the series (vendor
  // 5E1A) unless another instance path is given.
  static void Attach(const std::wstring& description, const std::wstring& device, DWORD port,
                     const std::wstring& instancePath = std::wstring()) {
    kqseed::UsbPrinterSeed seed;
    seed.portDescription = description;
    seed.hardwareId = L"USBPRINT\\" + device;
    seed.portNumber = port;
    seed.instancePath = instancePath;
    ASSERT_TRUE(kqseed::SeedUsbPrinter(seed));
  }

  kqtest::RedirectedHklm m_hklm{L"RecordWriting"};
  DeviceRecordValues m_values;
};

TEST_F(RecordWritingTest, NewClassKeyGetsClassValuesAndDriverSubkey0000) {
  WriteUsb(L"USBPRINT\\KESTROMKQ-80E5A1");
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
  WriteLpt(L"LPTENUM\\KESTROMKQ-80E5A1");
  EXPECT_EQ(L"LPTENUM\\LPTENUM\\KESTROMKQ-80E5A1", ReadText(kClassKey + L"\\0001", L"MatchingDeviceId"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"Icon"));
}

TEST_F(RecordWritingTest, NumberingFollowsTheLargestExistingSubkey) {
  for (const wchar_t* name : {L"0000", L"0001", L"0005"}) ASSERT_TRUE(CreateKey(kClassKey + L"\\" + name));
  WriteUsb(L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_TRUE(KeyExists(kClassKey + L"\\0006"));
  EXPECT_FALSE(KeyExists(kClassKey + L"\\0002"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"Class"));
}

TEST_F(RecordWritingTest, LoneNonNumericSubkeyCountsAsZero) {
  ASSERT_TRUE(CreateKey(kClassKey + L"\\Properties"));
  WriteUsb(L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_TRUE(KeyExists(kClassKey + L"\\0001"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"Class"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"Icon"));
}

TEST_F(RecordWritingTest, NegativeLookingSubkeyStillSuppressesTheClassValues) {
  ASSERT_TRUE(CreateKey(kClassKey + L"\\-5"));
  WriteUsb(L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_TRUE(KeyExists(kClassKey + L"\\0001"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"Class"));
}

TEST_F(RecordWritingTest, UsbSideValuesPointAtTheFirstMatchingDevice) {
  ASSERT_TRUE(CreateKey(kUsbDevices + L"\\OTHERPRINTER0001\\1"));
  Attach(L"KESTROM Printer", L"KestromPrinter1A2B", 1);
  Attach(L"KESTROM Printer", L"KESTROMPRINTER3C4D", 2);
  const DeviceRecordsWritten written = WriteUsb(L"USBPRINT\\KESTROMPRINTERDCDD");
  // What an uninstall must find again.
  EXPECT_EQ(kClassKey + L"\\0000", written.driverKey);
  EXPECT_EQ(kUsbDevices + L"\\KESTROMPRINTER1A2B", written.deviceKey);

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
  EXPECT_EQ(L"<missing>", ReadText(kUsbDevices + L"\\KestromPrinter1A2B\\7&2A3B4C5D&0&USB001", L"Driver"));
}

TEST_F(RecordWritingTest, UsbDeviceNamedWithoutTheDescriptionsSpacesStillMatches) {
  m_values.modelDesc = L"KESTROM KQ-80";
  Attach(L"KESTROM KQ-58", L"KESTROMKQ-58A0B1", 1);
  Attach(L"KESTROM KQ-80", L"KESTROM_KQ-80E5A1", 2);
  WriteUsb(L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_EQ(kUsbDevices + L"\\KESTROM_KQ-80E5A1", ReadText(kClassKey, L"_ToPath"));
  EXPECT_EQ(L"KESTROM KQ-80", ReadText(kClassKey, L"_DeviceDesc"));
}

TEST_F(RecordWritingTest, NoMatchingUsbDeviceWritesNoSideValue) {
  m_values.modelDesc = L"KESTROM KQ-80";
  Attach(L"KESTROM KQ-58", L"KESTROMKQ-58A0B1", 1);
  EXPECT_TRUE(WriteUsb(L"USBPRINT\\KESTROMKQ-80E5A1").deviceKey.empty());
  EXPECT_TRUE(KeyExists(kClassKey + L"\\0000"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"_ToPath"));
}

// Another maker's printer is never tagged: not when its description is taken for ours, not when
// there is no description at all. Only printers of the series' vendors are candidates.
TEST_F(RecordWritingTest, AnotherMakersPrinterNeverGetsTheSideValues) {
  Attach(L"ACME LASER JET P1000", L"AcmeLaser_Jet_P10009D2F", 1, L"USB\\VID_1234&PID_5678\\ACME0001");
  Attach(L"KESTROM KQ-80", L"KESTROMKQ-80E5A1", 2);
  for (const wchar_t* description : {L"ACME LASER JET P1000", L""}) {
    SCOPED_TRACE(*description != L'\0' ? "the other maker's description" : "no description");
    m_values.modelDesc = description;
    WriteUsb(L"USBPRINT\\KESTROMKQ-80E5A1");
    EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"_ToPath"));
    EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"_DeviceDesc"));
  }
  // Identified from the records, our own printer is the one recorded.
  CSetupSettings settings;
  settings.AssignFixedValues();
  ASSERT_EQ(Identification::kIdentified, IdentifyPrinterOnUsb(settings, settings));
  m_values.modelDesc = settings.g_strModelDesc;
  WriteUsb(L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_EQ(kUsbDevices + L"\\KESTROMKQ-80E5A1", ReadText(kClassKey, L"_ToPath"));
}

TEST_F(RecordWritingTest, LptSideValuesWithBrandSeriesAndCapitalisedPath) {
  ASSERT_TRUE(CreateKey(kLptDevices + L"\\kqprinter9f0e\\LPT1.0"));
  ASSERT_TRUE(CreateKey(kLptDevices + L"\\KQPRINTERAAAA\\LPT2.0"));
  ASSERT_TRUE(CreateKey(kClassKey + L"\\0003"));
  WriteLpt(L"LPTENUM\\KESTROMKQ-80E5A1");

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
  WriteLpt(L"LPTENUM\\KESTROMKQ-80E5A1");
  EXPECT_TRUE(KeyExists(kClassKey + L"\\0000"));
  EXPECT_EQ(L"<missing>", ReadText(kClassKey, L"_ToPath"));
}

}  // namespace
