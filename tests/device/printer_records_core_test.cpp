#include "device/printer_records_core.h"

#include <gtest/gtest.h>

#include "device/usb_printer_core.h"

namespace {

TEST(PrinterRecordsCore, InterfacePartFromTheSymbolicName) {
  const std::wstring instance = L"USB\\VID_5E1A&PID_0001\\5&1A2B&0&1";
  EXPECT_EQ(L"USB#VID_5E1A&PID_0001#5&1A2B&0&1#",
            InterfacePartFromSymbolicName(
                L"\\??\\USB#VID_5E1A&PID_0001#5&1A2B&0&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", instance));
  EXPECT_EQ(L"USB#VID_5E1A&PID_0001#5&1A2B&0&1#", InterfacePartFromSymbolicName(L"", instance));
  // Nothing before the brace: the instance path again.
  EXPECT_EQ(L"USB#VID_5E1A&PID_0001#5&1A2B&0&1#", InterfacePartFromSymbolicName(L"{guid}", instance));
  // Without "USB" the text before the brace stays whole; without a brace the name stays whole.
  EXPECT_EQ(L"\\??\\HID#X#", InterfacePartFromSymbolicName(L"\\??\\HID#X#{guid}", instance));
  EXPECT_EQ(L"\\??\\USB#X", InterfacePartFromSymbolicName(L"\\??\\USB#X", instance));
  EXPECT_EQ(L"##?#USB#VID_5E1A&PID_0001#5&1A2B&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
            InterfaceKeyName(L"USB#VID_5E1A&PID_0001#5&1A2B&0&1#"));
}

TEST(PrinterRecordsCore, PortNames) {
  EXPECT_EQ(L"USB001", UsbPortName(1));
  EXPECT_EQ(L"USB012", UsbPortName(12));
  EXPECT_EQ(L"USB1234", UsbPortName(1234));
  EXPECT_EQ(L"USB000", UsbPortName(0));
  EXPECT_EQ(L"USB4294967295", UsbPortName(4294967295ul));
}

TEST(PrinterRecordsCore, PrinterNameFromPortDescription) {
  std::wstring name = L"previous";
  EXPECT_TRUE(PrinterNameFromPortDescription(L"KESTROM KQ-80", name));
  EXPECT_EQ(L"KQ-80", name);
  EXPECT_TRUE(PrinterNameFromPortDescription(L"  KESTROM   KQ 80  ", name));
  EXPECT_EQ(L"KQ 80", name);
  name = L"previous";
  EXPECT_FALSE(PrinterNameFromPortDescription(L"KQ80", name));
  EXPECT_FALSE(PrinterNameFromPortDescription(L" KQ80 ", name));
  EXPECT_EQ(L"previous", name);
}

TEST(PrinterRecordsCore, UsbDeviceNameMatching) {
  EXPECT_TRUE(UsbDeviceNameMatchesModel(L"KESTROMKQ-80_5A3C", L"KESTROM KQ-80"));
  EXPECT_TRUE(UsbDeviceNameMatchesModel(L"KESTROMKQ-80", L"KESTROM KQ-80"));
  EXPECT_TRUE(UsbDeviceNameMatchesModel(L"kestrom_kq-80e5a1", L"Kestrom KQ-80"));
  EXPECT_FALSE(UsbDeviceNameMatchesModel(L"KESTROMKQ-58", L"KESTROM KQ-80"));
  // No description: no device of any maker matches.
  EXPECT_FALSE(UsbDeviceNameMatchesModel(L"AcmeLaser_Jet_P10009D2F", L""));
  EXPECT_FALSE(UsbDeviceNameMatchesModel(L"KESTROMKQ-80", L"   "));
}

TEST(PrinterRecordsCore, UsbPrintInstanceByItsPort) {
  EXPECT_TRUE(UsbPrintInstanceServesPort(L"7&2A3B4C5D&0&USB001", L"USB001"));
  EXPECT_TRUE(UsbPrintInstanceServesPort(L"7&2a3b4c5d&0&usb012", L"USB012"));
  EXPECT_TRUE(UsbPrintInstanceServesPort(L"USB001", L"USB001"));
  EXPECT_FALSE(UsbPrintInstanceServesPort(L"7&2A3B4C5D&0&USB0011", L"USB001"));
  EXPECT_FALSE(UsbPrintInstanceServesPort(L"7&2A3B4C5D&0&XUSB001", L"USB001"));
  EXPECT_FALSE(UsbPrintInstanceServesPort(L"7&2A3B4C5D&0&USB002", L"USB001"));
  EXPECT_FALSE(UsbPrintInstanceServesPort(L"7&2A3B4C5D&0&USB001", L""));
}

TEST(PrinterRecordsCore, LptModelFromHardwareId) {
  EXPECT_EQ(L"KQ-80", LptModelFromHardwareId(L"LPTENUM\\KESTROMKQ-80_3E1A", L"KQ"));
  // The last occurrence of the series code, case-sensitive.
  EXPECT_EQ(L"KQ-80", LptModelFromHardwareId(L"LPTENUM\\KQPRINTERKQ-80ABCD", L"KQ"));
  EXPECT_EQ(L"LPTENUM\\kestromkq-80", LptModelFromHardwareId(L"LPTENUM\\kestromkq-80_3e1a", L"KQ"));
  EXPECT_EQ(L"", LptModelFromHardwareId(L"ABCD", L"KQ"));
  EXPECT_EQ(L"", LptModelFromHardwareId(L"AB", L"KQ"));
  EXPECT_EQ(L"LPTENUM\\X", LptModelFromHardwareId(L"LPTENUM\\X_1234", L""));
}

TEST(PrinterRecordsCore, DriverSubkeyNumbering) {
  EXPECT_EQ(-1, LargestSubkeyNumber({}));
  EXPECT_EQ(5, LargestSubkeyNumber({L"0000", L"0001", L"0005"}));
  EXPECT_EQ(0, LargestSubkeyNumber({L"Properties"}));
  EXPECT_EQ(0, LargestSubkeyNumber({L"-5"}));
  EXPECT_EQ(12, LargestSubkeyNumber({L"12abc", L"3"}));
  EXPECT_EQ(99999999, LargestSubkeyNumber({L"99999999999999999999"}));
  EXPECT_EQ(L"0000", DriverSubkeyName(0));
  EXPECT_EQ(L"0006", DriverSubkeyName(6));
  EXPECT_EQ(L"12345", DriverSubkeyName(12345));
}

TEST(PrinterRecordsCore, ClassAndSideValuesInWritingOrder) {
  auto names = [](const std::vector<RecordValue>& values) {
    std::vector<std::wstring> result;
    for (const RecordValue& v : values) result.push_back(v.name);
    return result;
  };
  EXPECT_EQ((std::vector<std::wstring>{L"", L"Class", L"Icon", L"Installer32", L"NoDisplayClass", L"EnumPropPages32"}),
            names(PrinterClassValues()));

  const std::vector<RecordValue> usb = UsbSideValues(L"M", L"KESTROM", L"0003", L"PATH");
  EXPECT_EQ((std::vector<std::wstring>{L"_DeviceDesc", L"_ConfigFlags", L"_ClassGUID", L"_Class", L"_Driver", L"_Mfg",
                                       L"_UpdateMode", L"_ToPath"}),
            names(usb));
  EXPECT_EQ(L"{4D36E979-E325-11CE-BFC1-08002BE10318}\\0003", usb[4].text);
  EXPECT_TRUE(usb[6].isNumber);
  EXPECT_EQ(0ul, usb[6].number);

  const std::vector<RecordValue> lpt = LptSideValues(L"M", L"KESTROM", L"KQ", L"", L"PATH");
  EXPECT_EQ((std::vector<std::wstring>{L"_DeviceDesc", L"_ConfigFlags", L"_ClassGUID", L"_Driver", L"_Class", L"_Mfg",
                                       L"_UpdateMode", L"_BrandSeries", L"_ToPath"}),
            names(lpt));
  // Without a driver subkey the reference ends with the backslash.
  EXPECT_EQ(L"{4D36E979-E325-11CE-BFC1-08002BE10318}\\", lpt[3].text);
  EXPECT_EQ(2ul, lpt[6].number);
  EXPECT_EQ(L"KESTROMKQ", lpt[7].text);
}

TEST(UsbPrinterCore, VendorFilter) {
  EXPECT_TRUE(IsAcceptedUsbInstanceId(L"USB\\VID_5E1A&PID_0001\\5&1A2B&0&1"));
  EXPECT_TRUE(IsAcceptedUsbInstanceId(L"usb\\vid_0f3c&pid_0100\\1"));
  EXPECT_FALSE(IsAcceptedUsbInstanceId(L"USB\\VID_04B8&PID_0005\\1"));
  EXPECT_FALSE(IsAcceptedUsbInstanceId(L""));
}

}  // namespace
