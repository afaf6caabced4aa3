// Detection and identification from the device records, against a redirected HKEY_LOCAL_MACHINE
// seeded the way Windows keeps the records, with a fake printer for the marker printers.
#include "device/printer_records.h"

#include <gtest/gtest.h>

#include "core/detection_run.h"

#include "device/usb_printer.h"
#include "support/fake_usb_printer.h"
#include "support/redirected_hklm.h"
#include "support/seed_records.h"
#include "tests/device/device_test_support.h"

namespace {

using kqtest::FakePrinterScript;
using kqtest::FakeUsbPrinter;

const wchar_t kPortKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\"
    L"##?#USB#VID_5E1A&PID_0001#5&1A2B&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\#\\Device Parameters";

class PrinterRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_hklm.IsActive());
    m_settings.AssignFixedValues();
  }
  void TearDown() override {
    ResetUsbEnumerationForTesting();
  }

  static kqseed::UsbPrinterSeed Printer(const std::wstring& description, const std::wstring& hardwareId) {
    kqseed::UsbPrinterSeed seed;
    seed.portDescription = description;
    seed.hardwareId = hardwareId;
    return seed;
  }

  kqtest::RedirectedHklm m_hklm{L"PrinterRecords"};
  CSetupSettings m_settings;
};

TEST_F(PrinterRecordsTest, NoEnumeratedDeviceChangesNothing) {
  std::vector<std::wstring> descriptions;
  std::vector<std::wstring> ports;
  // No key at all.
  EXPECT_FALSE(IsPrinterUsbEnumerated());
  EXPECT_EQ(kPortRecordsNoEnumKey, EnumPrinterPortRecords(descriptions, ports));

  // Key without "Count", then "Count" 0.
  for (bool present : {false, true}) {
    ASSERT_TRUE(kqseed::SetUsbPrintCount(0, present));
    EXPECT_FALSE(IsPrinterUsbEnumerated());
    EXPECT_EQ(kPortRecordsNoDevice, EnumPrinterPortRecords(descriptions, ports));
    CSetupSettings settings = m_settings;
    settings.g_strPrinterName = L"previous";
    EXPECT_EQ(Identification::kNoPrinterOfTheSeries, IdentifyPrinterOnUsb(settings, settings));
    EXPECT_EQ(L"previous", settings.g_strPrinterName);
    EXPECT_TRUE(settings.g_strModelDesc.empty());
    EXPECT_TRUE(settings.g_strPortName.empty());
  }
  EXPECT_TRUE(descriptions.empty());
  EXPECT_TRUE(ports.empty());
}

TEST_F(PrinterRecordsTest, PortNamesFromPortNumbers) {
  kqseed::UsbPrinterSeed missing;
  missing.withPortNumber = false;
  ASSERT_TRUE(kqseed::SeedUsbPrinter(missing));
  for (DWORD number : {12ul, 1234ul}) {
    kqseed::UsbPrinterSeed seed;
    seed.portNumber = number;
    ASSERT_TRUE(kqseed::SeedUsbPrinter(seed));
  }
  EXPECT_TRUE(IsPrinterUsbEnumerated());
  std::vector<std::wstring> descriptions;
  std::vector<std::wstring> ports;
  EXPECT_EQ(kPortRecordsListed, EnumPrinterPortRecords(descriptions, ports));
  EXPECT_EQ((std::vector<std::wstring>{L"USB001", L"USB012", L"USB1234"}), ports);
  EXPECT_EQ(3u, descriptions.size());
}

TEST_F(PrinterRecordsTest, MissingSymbolicNameFallsBackToTheInstancePath) {
  kqseed::UsbPrinterSeed seed;
  seed.instancePath = L"USB\\VID_5E1A&PID_0001\\5&1A2B&0&1";
  seed.withSymbolicName = false;
  seed.portNumber = 7;
  ASSERT_TRUE(kqseed::SeedUsbPrinter(seed));
  ASSERT_TRUE(devicetest::KeyExists(kPortKey));
  std::vector<std::wstring> descriptions;
  std::vector<std::wstring> ports;
  EXPECT_EQ(kPortRecordsListed, EnumPrinterPortRecords(descriptions, ports));
  EXPECT_EQ((std::vector<std::wstring>{L"USB007"}), ports);
  EXPECT_EQ((std::vector<std::wstring>{L"KESTROM KQ-80"}), descriptions);
}

TEST_F(PrinterRecordsTest, BrokenRecordsStopTheListing) {
  // "Count" promises two devices but only one is recorded.
  ASSERT_TRUE(kqseed::SeedUsbPrinter());
  ASSERT_TRUE(kqseed::SetUsbPrintCount(2));
  std::vector<std::wstring> descriptions;
  std::vector<std::wstring> ports;
  EXPECT_EQ(kPortRecordsBrokenAfterSome, EnumPrinterPortRecords(descriptions, ports));
  EXPECT_EQ(1u, ports.size());

  // The first device's port record is missing: nothing listed, and no description means no port.
  kqseed::ClearSeededRecords();
  kqseed::UsbPrinterSeed seed;
  seed.instancePath = L"USB\\VID_5E1A&PID_0001\\5&1A2B&0&1";
  ASSERT_TRUE(kqseed::SeedUsbPrinter(seed));
  ASSERT_EQ(ERROR_SUCCESS, ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPortKey));
  descriptions.clear();
  ports.clear();
  EXPECT_EQ(kPortRecordsBrokenBeforeAny, EnumPrinterPortRecords(descriptions, ports));
  EXPECT_TRUE(ports.empty());
  CSetupSettings settings = m_settings;
  EXPECT_EQ(Identification::kNoPrinterOfTheSeries, IdentifyPrinterOnUsb(settings, settings));
}

TEST_F(PrinterRecordsTest, MissingPortDescriptionIsEmpty) {
  kqseed::UsbPrinterSeed seed;
  seed.withPortDescription = false;
  ASSERT_TRUE(kqseed::SeedUsbPrinter(seed));
  std::vector<std::wstring> descriptions;
  std::vector<std::wstring> ports;
  EXPECT_EQ(kPortRecordsListed, EnumPrinterPortRecords(descriptions, ports));
  EXPECT_EQ((std::vector<std::wstring>{L""}), descriptions);
}

TEST_F(PrinterRecordsTest, PrinterWithoutMarkerIsNamedFromItsDescription) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter(Printer(L"KESTROM KQ-80", L"USBPRINT\\KESTROMKQ-80E5A1")));
  CSetupSettings settings = m_settings;
  EXPECT_EQ(Identification::kIdentified, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_EQ(L"KQ-80", settings.g_strPrinterName);
  EXPECT_EQ(L"KESTROM KQ-80", settings.g_strModelDesc);
  EXPECT_EQ(L"USB001", settings.g_strPortName);
  EXPECT_EQ(0, settings.g_nModelQueryCount);
}

TEST_F(PrinterRecordsTest, DescriptionWithoutSpaceKeepsTheName) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter(Printer(L"KQ80", L"USBPRINT\\KQ80E5A1")));
  CSetupSettings settings = m_settings;
  settings.g_strPrinterName = L"previous";
  EXPECT_EQ(Identification::kNoNameInDescription, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_EQ(L"previous", settings.g_strPrinterName);
  EXPECT_EQ(L"KQ80", settings.g_strModelDesc);
  EXPECT_EQ(L"USB001", settings.g_strPortName);
}

TEST_F(PrinterRecordsTest, NameFromTheRecordsIsCleaned) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter(Printer(L"KESTROM  \"KQ-80\" & del,x\\y\t", L"USBPRINT\\KESTROMKQ-80E5A1")));
  CSetupSettings settings = m_settings;
  EXPECT_EQ(Identification::kIdentified, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_EQ(L"KQ-80 & delxy", settings.g_strPrinterName);

  // Nothing usable after the space: not identified, and the previous name stays.
  kqseed::ClearSeededRecords();
  ASSERT_TRUE(kqseed::SeedUsbPrinter(Printer(L"KESTROM \"\\,\"", L"USBPRINT\\KESTROMKQ-80E5A1")));
  settings.g_strPrinterName = L"previous";
  EXPECT_EQ(Identification::kNoNameInDescription, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_EQ(L"previous", settings.g_strPrinterName);
}

// Another maker's printer attached alone is no printer of ours: our driver must never go onto its
// port. With ours attached too, ours is identified, on its own port, even listed after it.
TEST_F(PrinterRecordsTest, AnotherMakersPrinterIsNeverIdentifiedOnlyOursOnItsOwnPort) {
  kqseed::UsbPrinterSeed acme = Printer(L"ACME LASER JET P1000", L"USBPRINT\\AcmeLaser_Jet_P10009D2F");
  acme.instancePath = L"USB\\VID_1234&PID_5678\\ACME0001";
  ASSERT_TRUE(kqseed::SeedUsbPrinter(acme));
  CSetupSettings settings = m_settings;
  settings.g_strPrinterName = L"previous";
  EXPECT_EQ(Identification::kNoPrinterOfTheSeries, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_EQ(L"previous", settings.g_strPrinterName);
  EXPECT_TRUE(settings.g_strPortName.empty());
  EXPECT_TRUE(settings.g_strModelDesc.empty());
  EXPECT_EQ(L"", FindSeriesUsbPort());

  kqseed::UsbPrinterSeed ours = Printer(L"KESTROM KQ-80", L"USBPRINT\\KESTROMKQ-80E5A1");
  ours.portNumber = 2;
  ASSERT_TRUE(kqseed::SeedUsbPrinter(ours));
  EXPECT_EQ(Identification::kIdentified, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_EQ(L"KQ-80", settings.g_strPrinterName);
  EXPECT_EQ(L"KESTROM KQ-80", settings.g_strModelDesc);
  EXPECT_EQ(L"USB002", settings.g_strPortName);
  EXPECT_EQ(L"USB002", FindSeriesUsbPort());
}

TEST_F(PrinterRecordsTest, HardwareIdOfMatchingDevices) {
  ASSERT_TRUE(kqseed::SeedUsbPrinter(Printer(L"KESTROM KQ-80", L"USBPRINT\\KESTROMKQ-80_5A3C")));
  EXPECT_EQ(L"USBPRINT\\KESTROMKQ-80_5A3C", FindPrinterUsbHardwareId(L"KESTROM KQ-80"));
  EXPECT_EQ(L"", FindPrinterUsbHardwareId(L"KESTROM KQ-58"));

  kqseed::ClearSeededRecords();
  EXPECT_EQ(L"", FindPrinterUsbHardwareId(L"KESTROM KQ-80"));
  ASSERT_TRUE(kqseed::SeedUsbPrinter(Printer(L"KESTROM KQ-80", L"USBPRINT\\KESTROMKQ-80")));
  EXPECT_EQ(L"USBPRINT\\KESTROMKQ-80", FindPrinterUsbHardwareId(L"kestrom kq-80"));

  // Both match: the one enumerated last wins.
  ASSERT_TRUE(kqseed::SeedUsbPrinter(Printer(L"KESTROM KQ-80", L"USBPRINT\\KESTROMKQ-80_5A3C")));
  const std::vector<std::wstring> devices = devicetest::SubKeys(L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT");
  ASSERT_EQ(2u, devices.size());
  EXPECT_EQ(L"USBPRINT\\" + devices.back(), FindPrinterUsbHardwareId(L"KESTROM KQ-80"));
}

class MarkerPrinterTest : public PrinterRecordsTest {
 protected:
  void SetUp() override {
    PrinterRecordsTest::SetUp();
    ASSERT_TRUE(kqseed::SeedUsbPrinter(Printer(L"KESTROM Printer", L"USBPRINT\\KESTROMPRINTERDCDD9F0E")));
  }
  void Attach(const FakeUsbPrinter& printer) {
    SetUsbEnumerationForTesting({{L"USB\\VID_5E1A&PID_0001\\5&1A2B&0&1", printer.InterfacePath()}});
  }
};

TEST_F(MarkerPrinterTest, AnsweringPrinterIsNamedByItsReply) {
  FakePrinterScript script;
  script.reply = FakeUsbPrinter::ModelReply(" KQ-80 ", 5);
  FakeUsbPrinter printer(script);
  Attach(printer);
  CSetupSettings settings = m_settings;
  EXPECT_EQ(Identification::kIdentified, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_EQ(L"KQ-80", settings.g_strPrinterName);
  EXPECT_EQ(L"KESTROMPrinter", settings.g_strModelDesc);
  EXPECT_EQ(L"USB001", settings.g_strPortName);
  EXPECT_EQ(0, settings.g_nModelQueryCount);
  EXPECT_EQ(2, printer.DataConnections());
}

TEST_F(MarkerPrinterTest, ReplyIsCleanedBeforeItBecomesTheName) {
  FakePrinterScript script;
  script.reply = FakeUsbPrinter::ModelReply("KQ\"-80\\\x07,", 5, 30);
  FakeUsbPrinter printer(script);
  Attach(printer);
  CSetupSettings settings = m_settings;
  settings.g_strPrinterName = L"previous";
  EXPECT_EQ(Identification::kIdentified, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_EQ(L"KQ-80", settings.g_strPrinterName);
}

// A reply that ends before its model names nothing: not identified, and counted like no answer.
TEST_F(MarkerPrinterTest, AReplyWithoutAModelIsNoIdentification) {
  FakePrinterScript script;
  script.reply = FakeUsbPrinter::ModelReply("", 5, 20);
  FakeUsbPrinter printer(script);
  Attach(printer);
  CSetupSettings settings = m_settings;
  settings.g_strPrinterName = L"previous";
  EXPECT_EQ(Identification::kNoModel, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_EQ(1, settings.g_nModelQueryCount);
}

TEST_F(MarkerPrinterTest, SilentPrinterIsAskedOnlyOnce) {
  FakePrinterScript script;
  script.answers = false;
  FakeUsbPrinter printer(script);
  Attach(printer);
  CSetupSettings settings = m_settings;
  EXPECT_EQ(Identification::kNoModel, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_EQ(L"Unknown", settings.g_strPrinterName);
  EXPECT_EQ(1, settings.g_nModelQueryCount);
  EXPECT_EQ(L"KESTROMPrinter", settings.g_strModelDesc);
  EXPECT_EQ(L"USB001", settings.g_strPortName);
  const int connections = printer.DataConnections();
  EXPECT_EQ(2, connections);

  settings.g_strPrinterName = L"typed";
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(Identification::kNoModel, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_LT(::GetTickCount() - start, 900u);
  EXPECT_EQ(L"Unknown", settings.g_strPrinterName);
  EXPECT_EQ(2, settings.g_nModelQueryCount);
  EXPECT_EQ(connections, printer.DataConnections());
}

TEST_F(MarkerPrinterTest, AbsentPrinterCountsAsNoAnswer) {
  SetUsbEnumerationForTesting({});
  CSetupSettings settings = m_settings;
  EXPECT_EQ(Identification::kNoModel, IdentifyPrinterOnUsb(settings, settings));
  EXPECT_EQ(L"Unknown", settings.g_strPrinterName);
  EXPECT_EQ(1, settings.g_nModelQueryCount);
}

class LptPrintersTest : public PrinterRecordsTest {};

TEST_F(LptPrintersTest, ModelFromTheHardwareId) {
  std::wstring model = L"untouched";
  EXPECT_EQ(0, ScanLptPrinters(m_settings.g_strProviderName, m_settings.g_strSeriesCode, model));
  EXPECT_EQ(L"untouched", model);

  kqseed::LptPrinterSeed seed;
  seed.deviceName = L"KESTROMKQ-80_3E1A";
  ASSERT_TRUE(kqseed::SeedLptPrinter(seed));
  EXPECT_EQ(1, ScanLptPrinters(m_settings.g_strProviderName, m_settings.g_strSeriesCode, model));
  EXPECT_EQ(L"KQ-80", model);
}

TEST_F(LptPrintersTest, TwoPrintersAreCountedAndInstalledOnesAreNot) {
  kqseed::LptPrinterSeed first;
  first.deviceName = L"KESTROMKQ-58_0001";
  kqseed::LptPrinterSeed second;
  second.deviceName = L"KESTROMKQ-80_0002";
  kqseed::LptPrinterSeed installed;
  installed.deviceName = L"KESTROMKQ-90_0003";
  installed.withMfg = true;
  kqseed::LptPrinterSeed otherBrand;
  otherBrand.deviceName = L"EPSONLQ-300_0004";
  for (const auto& seed : {first, second, installed, otherBrand}) ASSERT_TRUE(kqseed::SeedLptPrinter(seed));

  std::wstring model;
  EXPECT_EQ(2, ScanLptPrinters(m_settings.g_strProviderName, m_settings.g_strSeriesCode, model));
  // The model of the last one counted, in enumeration order.
  std::wstring last;
  for (const std::wstring& name : devicetest::SubKeys(L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM")) {
    if (name == first.deviceName || name == second.deviceName) last = name;
  }
  EXPECT_EQ(last == second.deviceName ? L"KQ-80" : L"KQ-58", model);
}

TEST_F(LptPrintersTest, InstalledPrinterAloneIsNotCounted) {
  kqseed::LptPrinterSeed installed;
  installed.withMfg = true;
  ASSERT_TRUE(kqseed::SeedLptPrinter(installed));
  std::wstring model = L"untouched";
  EXPECT_EQ(0, ScanLptPrinters(m_settings.g_strProviderName, m_settings.g_strSeriesCode, model));
  EXPECT_EQ(L"untouched", model);
}

}  // namespace
