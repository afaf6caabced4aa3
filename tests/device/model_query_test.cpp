// The model exchange over the data pipe of a fake printer: the real overlapped transfers, waits
// and cancellation run against scripted replies, delays, short reads and refusals.
#include "device/model_query.h"

#include <cstring>

#include <gtest/gtest.h>

#include "device/model_reply_core.h"
#include "device/usb_printer.h"
#include "support/fake_usb_printer.h"
#include "tests/device/device_test_support.h"

namespace {

using kqtest::FakePrinterScript;
using kqtest::FakeUsbPrinter;

const wchar_t kAcceptedId[] = L"USB\\VID_5E1A&PID_0001\\5&1A2B&0&1";

class ModelQueryTest : public ::testing::Test {
 protected:
  void TearDown() override { ResetUsbEnumerationForTesting(); }

  void Attach(const FakeUsbPrinter& printer) { SetUsbEnumerationForTesting({{kAcceptedId, printer.InterfacePath()}}); }

  // Runs the exchange with untouched-looking outputs and reports its result and duration.
  int Query(std::wstring& model, int& code, DWORD* elapsedMs = nullptr) {
    model = L"untouched";
    code = -1;
    const DWORD start = ::GetTickCount();
    const int result = QueryPrinterModel(model, code);
    if (elapsedMs != nullptr) *elapsedMs = ::GetTickCount() - start;
    return result;
  }
};

FakePrinterScript Replying(const std::vector<unsigned char>& reply, DWORD delayMs = 0) {
  FakePrinterScript script;
  script.reply = reply;
  script.replyDelayMs = delayMs;
  return script;
}

TEST_F(ModelQueryTest, WellFormedReplyGivesModelAndCode) {
  FakeUsbPrinter printer(Replying(FakeUsbPrinter::ModelReply("KQ-80", 5)));
  Attach(printer);
  std::wstring model;
  int code = 0;
  EXPECT_EQ(1, Query(model, code));
  EXPECT_EQ(L"KQ-80", model);
  EXPECT_EQ(5, code);
  const std::vector<unsigned char> request = {0x1B, 0x7C, 0x81, 0x81, 0x01, 0x00, 0x02};
  EXPECT_EQ(request, printer.ReceivedBytes());
  EXPECT_EQ(2, printer.DataConnections());
}

TEST_F(ModelQueryTest, ReplyLayoutsWithEarlyEndByteAndHighBytes) {
  struct Case {
    std::vector<unsigned char> reply;
    std::wstring model;
    int code;
  };
  const Case cases[] = {
      // End at offset 3: no name, the code is byte 2.
      {{0x00, 0x00, 0x07, 0x00, 0x41, 0x42, 0x00, 0, 0, 0, 0, 0}, L"", 7},
      // End at offset 4: no name, the code is byte 3.
      {{0x00, 0x00, 0x00, 0x09, 0x00, 0x41, 0, 0, 0, 0, 0, 0}, L"", 9},
      // Each byte becomes the character with the same number; the code is unsigned.
      {{0x00, 0x00, 0x00, 0xC0, 0x41, 0xFF, 0x00, 0, 0, 0, 0, 0}, L"\u00C0A", 255},
  };
  for (const Case& c : cases) {
    FakeUsbPrinter printer(Replying(c.reply));
    Attach(printer);
    std::wstring model;
    int code = 0;
    EXPECT_EQ(1, Query(model, code));
    EXPECT_EQ(c.model, model);
    EXPECT_EQ(c.code, code);
  }
}

TEST_F(ModelQueryTest, ReplyWithoutEndByteTellsTheUserAndGivesUnknown) {
  std::vector<unsigned char> reply(64, 'A');
  reply[0] = reply[1] = reply[2] = 0;
  FakeUsbPrinter printer(Replying(reply));
  Attach(printer);
  devicetest::MessageBoxRecorder boxes;
  // The wizard's window, while no window of this program is the active one.
  HWND wizard = ::CreateWindowW(L"STATIC", L"wizard", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(wizard, nullptr);
  win::SetMainWindow(wizard);
  std::wstring model;
  int code = 0;
  EXPECT_EQ(1, Query(model, code));
  win::SetMainWindow(nullptr);
  ::DestroyWindow(wizard);
  EXPECT_EQ(L"Unknown", model);
  EXPECT_EQ(80, code);
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(L"未能获取机器型号！", boxes.boxes[0].text);
  EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.boxes[0].type & MB_TYPEMASK);
  EXPECT_EQ(wizard, boxes.boxes[0].owner) << "owned by the wizard, not by whatever window is active";
}

TEST_F(ModelQueryTest, ImmediateReplyCountsEvenWhenShort) {
  // Eight bytes already waiting when the read starts. The fake writes them the moment the read's
  // connection is made; accepted printers that cannot be opened, listed before the fake, slow the
  // walk between that moment and the read, so the reply is there first. A read that had to wait
  // would refuse so short a reply, so a success shows that the immediate path accepts it.
  FakeUsbPrinter printer(Replying({0x00, 0x00, 0x00, 'K', 'Q', 0x03, 0x00, 0x00}));
  std::vector<UsbInterfaceRecord> records(300, UsbInterfaceRecord{kAcceptedId, L"\\\\.\\pipe\\kq-held-elsewhere"});
  records.push_back(UsbInterfaceRecord{kAcceptedId, printer.InterfacePath()});
  SetUsbEnumerationForTesting(records);
  std::wstring model;
  int code = 0;
  EXPECT_EQ(1, Query(model, code));
  EXPECT_EQ(L"KQ", model);
  EXPECT_EQ(3, code);
}

TEST_F(ModelQueryTest, LateReplyNeedsMoreThanTenBytes) {
  {
    FakeUsbPrinter printer(Replying(FakeUsbPrinter::ModelReply("KQ-58", 2, 11), 300));
    Attach(printer);
    std::wstring model;
    int code = 0;
    EXPECT_EQ(1, Query(model, code));
    EXPECT_EQ(L"KQ-58", model);
    EXPECT_EQ(2, code);
  }
  {
    FakeUsbPrinter printer(Replying(FakeUsbPrinter::ModelReply("KQ", 2, 10), 300));
    Attach(printer);
    std::wstring model;
    int code = 0;
    EXPECT_EQ(0, Query(model, code));
    EXPECT_EQ(L"untouched", model);
    EXPECT_EQ(-1, code);
  }
}

TEST_F(ModelQueryTest, ReplyAfterTheWaitIsAbandonedAndNeverLandsInTheBuffer) {
  FakeUsbPrinter printer(Replying(FakeUsbPrinter::ModelReply("KQ-80", 5, 40), 1400));
  Attach(printer);
  // The request first, as the exchange sends it.
  ASSERT_EQ(std::wstring(kUsbStatusOk), WritePrinterUsbData(kModelQueryRequest, 7));
  unsigned char buffer[255];
  std::memset(buffer, 0, sizeof(buffer));
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(std::wstring(kUsbStatusFailed), ReadPrinterUsbData(buffer, sizeof(buffer)));
  const DWORD elapsed = ::GetTickCount() - start;
  EXPECT_GE(elapsed, 900u);
  EXPECT_LT(elapsed, 1390u);
  // Past the moment the printer answers: the abandoned read must not have written anything.
  ::Sleep(500);
  for (unsigned char byte : buffer) ASSERT_EQ(0, byte);
}

TEST_F(ModelQueryTest, SilentPrinterEndsAfterTheWait) {
  FakePrinterScript script;
  script.answers = false;
  FakeUsbPrinter printer(script);
  Attach(printer);
  std::wstring model;
  int code = 0;
  DWORD elapsed = 0;
  EXPECT_EQ(0, Query(model, code, &elapsed));
  EXPECT_EQ(L"untouched", model);
  EXPECT_GE(elapsed, 950u);
  EXPECT_LT(elapsed, 3000u);
}

TEST_F(ModelQueryTest, RequestNotTakenOrTakenOnlyInPartFailsWithoutReading) {
  for (FakePrinterScript::Request mode : {FakePrinterScript::Request::kIgnore, FakePrinterScript::Request::kTakePart}) {
    FakePrinterScript script = Replying(FakeUsbPrinter::ModelReply("KQ-80", 5));
    script.request = mode;
    script.takeBytes = 3;
    FakeUsbPrinter printer(script);
    Attach(printer);
    std::wstring model;
    int code = 0;
    DWORD elapsed = 0;
    EXPECT_EQ(0, Query(model, code, &elapsed));
    EXPECT_EQ(L"untouched", model);
    EXPECT_GE(elapsed, 950u);
    // The read was never started: only the request's connection was made.
    EXPECT_EQ(1, printer.DataConnections());
  }
}

TEST_F(ModelQueryTest, PrinterThatDropsTheConnectionFailsAtOnce) {
  FakePrinterScript script = Replying(FakeUsbPrinter::ModelReply("KQ-80", 5));
  script.request = FakePrinterScript::Request::kHangUp;
  FakeUsbPrinter printer(script);
  Attach(printer);
  std::wstring model;
  int code = 0;
  DWORD elapsed = 0;
  EXPECT_EQ(0, Query(model, code, &elapsed));
  EXPECT_EQ(L"untouched", model);
  EXPECT_LT(elapsed, 900u);
}

TEST_F(ModelQueryTest, MissingPrinterOrPipeReportsTheOpenFailure) {
  SetUsbEnumerationForTesting({});
  std::wstring model;
  int code = 0;
  EXPECT_EQ(0, Query(model, code));
  EXPECT_EQ(L"untouched", model);
  EXPECT_EQ(-1, code);
  unsigned char buffer[64] = {};
  EXPECT_EQ(std::wstring(kUsbStatusOpenFailed), ReadPrinterUsbData(buffer, sizeof(buffer)));

  FakePrinterScript script;
  script.servesDataPipe = false;
  FakeUsbPrinter printer(script);
  Attach(printer);
  EXPECT_EQ(std::wstring(kUsbStatusOpenFailed), WritePrinterUsbData(buffer, 7));

  FakeUsbPrinter otherVendor{FakePrinterScript()};
  SetUsbEnumerationForTesting({{L"USB\\VID_04B8&PID_0005\\1", otherVendor.InterfacePath()}});
  EXPECT_EQ(0, Query(model, code));
  EXPECT_EQ(0, otherVendor.DataConnections());
}

TEST_F(ModelQueryTest, NegativeCountIsRefusedWithoutTraffic) {
  FakeUsbPrinter printer{FakePrinterScript()};
  Attach(printer);
  unsigned char data[7] = {};
  EXPECT_EQ(std::wstring(kUsbStatusFailed), WritePrinterUsbData(data, -1));
  EXPECT_EQ(0, printer.DataConnections());
}

}  // namespace
