// Finding and opening the printer, against fake printers served as named pipes in this process.
#include "device/usb_printer.h"

#include <cwchar>

#include <gtest/gtest.h>

#include "support/fake_usb_printer.h"

namespace {

using kqtest::FakePrinterScript;
using kqtest::FakeUsbPrinter;

const wchar_t kAcceptedId[] = L"USB\\VID_5E1A&PID_0001\\5&1A2B&0&1";
const wchar_t kOtherVendorId[] = L"USB\\VID_04B8&PID_0005\\6&2B&0&2";

class UsbPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetUsbEnumerationForTesting();
    std::wmemset(g_szUsbDevicePath, 0, kUsbDevicePathChars);
  }
  void TearDown() override { ResetUsbEnumerationForTesting(); }
};

TEST_F(UsbPrinterTest, NoPrinterLeavesThePathAsItWas) {
  SetUsbEnumerationForTesting({});
  std::wcscpy(g_szUsbDevicePath, L"previous");
  EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPrinterUsbDevice());
  EXPECT_STREQ(L"previous", g_szUsbDevicePath);
}

TEST_F(UsbPrinterTest, VendorFilterRefusesOtherVendorsAndAcceptsCapitalsAndTheSecondVendor) {
  FakeUsbPrinter printer{FakePrinterScript()};
  SetUsbEnumerationForTesting({{kOtherVendorId, printer.InterfacePath()}});
  EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPrinterUsbDevice());

  for (const wchar_t* id : {L"USB\\VID_5E1A&PID_0001\\5&1A2B&0&1", L"usb\\vid_5e1a&pid_0001\\x",
                            L"USB\\VID_0F3C&PID_0100\\7&3C&0&1"}) {
    SetUsbEnumerationForTesting({{id, printer.InterfacePath()}});
    HANDLE handle = OpenPrinterUsbDevice();
    EXPECT_NE(INVALID_HANDLE_VALUE, handle) << id;
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    EXPECT_EQ(printer.InterfacePath(), g_szUsbDevicePath);
  }
}

TEST_F(UsbPrinterTest, PrinterThatCannotBeOpenedIsPassedOverForTheNextOne) {
  FakeUsbPrinter printer{FakePrinterScript()};
  SetUsbEnumerationForTesting({{kOtherVendorId, printer.InterfacePath()},
                               {kAcceptedId, L"\\\\.\\pipe\\kq-no-such-printer"},
                               {kAcceptedId, printer.InterfacePath()}});
  HANDLE handle = OpenPrinterUsbDevice();
  ASSERT_NE(INVALID_HANDLE_VALUE, handle);
  ::CloseHandle(handle);
  EXPECT_EQ(printer.InterfacePath(), g_szUsbDevicePath);
}

TEST_F(UsbPrinterTest, PathWithoutRoomForThePipeSuffixCountsAsNotOpenable) {
  FakeUsbPrinter printer{FakePrinterScript()};
  // 250 characters leave exactly room for "\PIPE01" and the terminator; 251 do not.
  std::wstring longest = printer.InterfacePath();
  longest.append(250 - longest.size(), L'x');
  std::wstring tooLong = longest + L"x";
  SetUsbEnumerationForTesting({{kAcceptedId, tooLong}});
  EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPrinterUsbDevice());
  EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPrinterPipe(L"PIPE01"));
  EXPECT_EQ(0u, std::wcslen(g_szUsbDevicePath));

  // A path that fits is copied whole even though nothing answers there.
  SetUsbEnumerationForTesting({{kAcceptedId, longest}});
  EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPrinterUsbDevice());
  EXPECT_EQ(longest, g_szUsbDevicePath);
}

TEST_F(UsbPrinterTest, PipeOpensTheExtendedPathAndALaterSearchRestoresThePlainOne) {
  FakeUsbPrinter printer{FakePrinterScript()};
  SetUsbEnumerationForTesting({{kAcceptedId, printer.InterfacePath()}});
  HANDLE pipe = OpenPrinterPipe(L"PIPE01");
  ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
  ::CloseHandle(pipe);
  EXPECT_EQ(printer.DataPipePath(), g_szUsbDevicePath);

  HANDLE device = OpenPrinterUsbDevice();
  ASSERT_NE(INVALID_HANDLE_VALUE, device);
  ::CloseHandle(device);
  EXPECT_EQ(printer.InterfacePath(), g_szUsbDevicePath);
}

TEST_F(UsbPrinterTest, PrinterWithoutDataPipeCannotBeOpenedForTransfers) {
  FakePrinterScript script;
  script.servesDataPipe = false;
  FakeUsbPrinter printer(script);
  SetUsbEnumerationForTesting({{kAcceptedId, printer.InterfacePath()}});
  EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPrinterPipe(L"PIPE01"));
}

TEST_F(UsbPrinterTest, RealEnumerationWithoutPrintersFindsNothing) {
  // Under Wine (and on a machine without the series' printers) the setup services list none.
  EXPECT_EQ(INVALID_HANDLE_VALUE, OpenPrinterUsbDevice());
}

}  // namespace
