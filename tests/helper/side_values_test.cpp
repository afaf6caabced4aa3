// The helper's transfer of the side values, run in this process against a redirected
// HKEY_LOCAL_MACHINE, and its log file. The helper's sources are not part of the wizard's library,
// so the two files under test are compiled into the tests here (the program's entry stays out).
#include <gtest/gtest.h>

#include <regex>

#include "helper/helper_log.cpp"
#include "helper/side_values.cpp"
#include "helper_test_util.h"

namespace {

using kqtest::kPrinterClassGuid;
using kqtest::kPrinterClassKey;
using kqtest::RegHasValue;
using kqtest::RegKeyExists;
using kqtest::RegMakeKey;
using kqtest::RegNumber;
using kqtest::RegSetNumber;
using kqtest::RegSetText;
using kqtest::RegText;

const HKEY kLm = HKEY_LOCAL_MACHINE;
const std::wstring kUsbDevice = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\KESTROMPRINTER1A2B";
const std::wstring kLptEnum = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM";
const wchar_t* const kSideNames[] = {L"_ToPath",     L"_UpdateMode", L"_BrandSeries", L"_DeviceDesc", L"_ConfigFlags",
                                     L"_ClassGUID",  L"_Driver",     L"_Class",       L"_Mfg"};

class TransferSideValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_registry.Ok());
    m_logPath = m_folder / L"PHelper.log";
    SetHelperLogPath(m_logPath);
  }
  void TearDown() override { SetHelperLogPath(std::wstring()); }

  // The values the wizard's record writers leave for a device.
  void SeedCommonSideValues(DWORD updateMode) {
    RegSetText(kLm, kPrinterClassKey, L"_DeviceDesc", L"KESTROMPrinter");
    RegSetNumber(kLm, kPrinterClassKey, L"_ConfigFlags", 0);
    RegSetText(kLm, kPrinterClassKey, L"_ClassGUID", kPrinterClassGuid);
    RegSetText(kLm, kPrinterClassKey, L"_Class", L"Printer");
    RegSetText(kLm, kPrinterClassKey, L"_Driver", std::wstring(kPrinterClassGuid) + L"\\0003");
    RegSetText(kLm, kPrinterClassKey, L"_Mfg", L"KESTROM");
    RegSetNumber(kLm, kPrinterClassKey, L"_UpdateMode", updateMode);
  }

  void ExpectNoSideValues() {
    for (const wchar_t* name : kSideNames) EXPECT_FALSE(RegHasValue(kLm, kPrinterClassKey, name)) << name;
  }

  void ExpectDeviceValues(const std::wstring& key) {
    EXPECT_EQ(RegNumber(kLm, key, L"ConfigFlags"), 0u) << key;
    EXPECT_EQ(RegText(kLm, key, L"ClassGUID"), kPrinterClassGuid) << key;
    EXPECT_EQ(RegText(kLm, key, L"Driver"), std::wstring(kPrinterClassGuid) + L"\\0003") << key;
    EXPECT_EQ(RegText(kLm, key, L"Class"), L"Printer") << key;
    EXPECT_EQ(RegText(kLm, key, L"Mfg"), L"KESTROM") << key;
  }

  std::string Log() { return kqtest::ReadFileText(m_logPath); }

  kqtest::RedirectedLocalMachine m_registry;
  kqtest::ScratchFolder m_folder{L"kq_side_"};
  std::wstring m_logPath;
};

TEST_F(TransferSideValuesTest, UsbDeviceWithTwoInstancesReceivesAllSixValues) {
  SeedCommonSideValues(0);
  RegSetText(kLm, kPrinterClassKey, L"_ToPath", kUsbDevice);
  RegMakeKey(kLm, kUsbDevice + L"\\5&1A2B&0&USB001");
  RegMakeKey(kLm, kUsbDevice + L"\\5&1A2B&0&USB002");

  TransferSideValues();

  for (const wchar_t* instance : {L"\\5&1A2B&0&USB001", L"\\5&1A2B&0&USB002"}) {
    ExpectDeviceValues(kUsbDevice + instance);
    EXPECT_EQ(RegText(kLm, kUsbDevice + instance, L"DeviceDesc"), L"KESTROMPrinter");
  }
  // The device key itself is only the parent of the instances.
  EXPECT_FALSE(RegHasValue(kLm, kUsbDevice, L"Mfg"));
  ExpectNoSideValues();
  EXPECT_TRUE(RegKeyExists(kLm, kPrinterClassKey));

  const std::string log = Log();
  EXPECT_NE(log.find("    open SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("    dwUpdateMode == 0\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("    write to path = SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\KESTROMPRINTER1A2B\r\n"),
            std::string::npos)
      << log;
}

TEST_F(TransferSideValuesTest, NoSideValuesTouchesNoDeviceAndLeavesNoneBehind) {
  RegMakeKey(kLm, kPrinterClassKey);
  RegMakeKey(kLm, kUsbDevice + L"\\5&1A2B&0&USB001");

  TransferSideValues();

  // The defaults written back for the missing mode and brand are removed again with the rest.
  ExpectNoSideValues();
  EXPECT_FALSE(RegHasValue(kLm, kUsbDevice + L"\\5&1A2B&0&USB001", L"Mfg"));
  const std::string log = Log();
  EXPECT_NE(log.find("dwUpdateMode == 0"), std::string::npos) << log;
  EXPECT_EQ(log.find("write to path"), std::string::npos) << log;

  // A second stop finds nothing either.
  TransferSideValues();
  ExpectNoSideValues();
}

TEST_F(TransferSideValuesTest, MissingClassKeyIsNotCreated) {
  RegSetText(kLm, L"SYSTEM\\CurrentControlSet\\Control\\Class", L"Marker", L"x");
  TransferSideValues();
  EXPECT_FALSE(RegKeyExists(kLm, kPrinterClassKey));
  EXPECT_TRUE(Log().empty());
}

TEST_F(TransferSideValuesTest, ParallelPortWritesMatchingInstancesWithoutMfgOnly) {
  SeedCommonSideValues(2);
  RegSetText(kLm, kPrinterClassKey, L"_BrandSeries", L"KESTROMKQ");
  RegSetText(kLm, kPrinterClassKey, L"_ToPath", kLptEnum + L"\\KESTROMKQ-80E5A1");
  const std::wstring fresh = kLptEnum + L"\\KESTROMKQ-80E5A1\\LPT1";
  const std::wstring described = kLptEnum + L"\\KESTROMKQ-80E5A1\\LPT2";
  const std::wstring foreign = kLptEnum + L"\\OTHERVENDOR-77\\LPT1";
  RegMakeKey(kLm, fresh);
  RegSetText(kLm, described, L"Mfg", L"Earlier");
  RegMakeKey(kLm, foreign);

  TransferSideValues();

  ExpectDeviceValues(fresh);
  EXPECT_FALSE(RegHasValue(kLm, fresh, L"DeviceDesc"));
  EXPECT_EQ(RegText(kLm, described, L"Mfg"), L"Earlier");
  EXPECT_FALSE(RegHasValue(kLm, described, L"Driver"));
  EXPECT_FALSE(RegHasValue(kLm, foreign, L"Mfg"));
  ExpectNoSideValues();
  EXPECT_NE(Log().find("    dwUpdateMode > 0\r\n"), std::string::npos);
}

TEST_F(TransferSideValuesTest, AlternativeBrandIsMatchedCaseSensitivelyAndKeepsDescribedInstances) {
  SeedCommonSideValues(2);
  RegSetText(kLm, kPrinterClassKey, L"_BrandSeries", L"KESTROMKQ");
  // The brand texts are looked for case-sensitively: this id contains neither.
  const std::wstring exact = kLptEnum + L"\\KqPrinter\\LPT1";
  // Containing it: matched, but an instance with "Mfg" keeps its values.
  const std::wstring containingFresh = kLptEnum + L"\\XKQPRINTER9F0E\\LPT1";
  const std::wstring containingDescribed = kLptEnum + L"\\XKQPRINTER9F0E\\LPT2";
  RegSetText(kLm, exact, L"Mfg", L"Earlier");
  RegMakeKey(kLm, containingFresh);
  RegSetText(kLm, containingDescribed, L"Mfg", L"Earlier");

  TransferSideValues();

  EXPECT_EQ(RegText(kLm, exact, L"Mfg"), L"Earlier");
  ExpectDeviceValues(containingFresh);
  EXPECT_EQ(RegText(kLm, containingDescribed, L"Mfg"), L"Earlier");
}

TEST_F(TransferSideValuesTest, DeviceIdEqualToAlternativeBrandIsRewrittenOverItsMfg) {
  SeedCommonSideValues(2);
  RegSetText(kLm, kPrinterClassKey, L"_BrandSeries", L"KESTROMKQ");
  const std::wstring exact = kLptEnum + L"\\KQPRINTER\\LPT1";
  RegSetText(kLm, exact, L"Mfg", L"Earlier");

  TransferSideValues();

  ExpectDeviceValues(exact);
}

TEST_F(TransferSideValuesTest, MissingOrEmptyBrandSeriesFallsBackToTheBuiltInText) {
  for (bool empty : {false, true}) {
    SCOPED_TRACE(empty ? "empty _BrandSeries" : "no _BrandSeries");
    SeedCommonSideValues(1);
    if (empty) RegSetText(kLm, kPrinterClassKey, L"_BrandSeries", L"");
    const std::wstring ours = kLptEnum + L"\\KESTROMKQ-1\\LPT1";
    const std::wstring foreign = kLptEnum + L"\\OTHERVENDOR-77\\LPT1";
    RegMakeKey(kLm, ours);
    RegMakeKey(kLm, foreign);

    TransferSideValues();

    ExpectDeviceValues(ours);
    // An empty text would be contained in every id; the fallback keeps other vendors untouched.
    EXPECT_FALSE(RegHasValue(kLm, foreign, L"Mfg"));
    ExpectNoSideValues();
    ::SHDeleteKeyW(kLm, kLptEnum.c_str());
  }
}

TEST_F(TransferSideValuesTest, ParallelPortWithoutLptEnumDoesNothingMore) {
  SeedCommonSideValues(2);
  TransferSideValues();
  ExpectNoSideValues();
  EXPECT_FALSE(RegKeyExists(kLm, kLptEnum));
}

TEST(HelperLog, PathReplacesTheExtension) {
  EXPECT_EQ(HelperLogPathFor(L"C:\\Program Files\\Common Files\\Services\\PHelper.exe"),
            L"C:\\Program Files\\Common Files\\Services\\PHelper.log");
  EXPECT_EQ(HelperLogPathFor(L"a.exe"), L"a.log");
  EXPECT_EQ(HelperLogPathFor(L".exe"), L"");
  EXPECT_EQ(HelperLogPathFor(L"C:\\Services\\PHelper"), L"");
  EXPECT_EQ(HelperLogPathFor(L""), L"");
}

TEST(HelperLog, EntriesAreStampedAndAppended) {
  kqtest::ScratchFolder folder(L"kq_log_");
  const std::wstring path = folder / L"PHelper.log";
  SetHelperLogPath(path);
  HelperLog(L"Service KQPrinterHelper installed\n");
  HelperLog(L"dwUpdateMode > 0");
  SetHelperLogPath(std::wstring());
  HelperLog(L"not written");

  const std::string log = kqtest::ReadFileText(path);
  const std::regex entry(
      "\\d\\d/\\d\\d/\\d{4}, \\d\\d:\\d\\d:\\d\\d\r\n    Service KQPrinterHelper installed\r\n"
      "\\d\\d/\\d\\d/\\d{4}, \\d\\d:\\d\\d:\\d\\d\r\n    dwUpdateMode > 0\r\n");
  EXPECT_TRUE(std::regex_match(log, entry)) << log;
}

}  // namespace
