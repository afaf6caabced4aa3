#include "device/printer_name_core.h"

#include <gtest/gtest.h>

namespace {

TEST(PrinterNameCore, RemovesWhatCouldBreakTheCommandLineOrTheName) {
  EXPECT_EQ(L"KQ-80", CleanPrinterName(L"KQ-80"));
  EXPECT_EQ(L"KQ-80 /q cmd", CleanPrinterName(L"KQ-80\" /q \"cmd"));
  EXPECT_EQ(L"ab", CleanPrinterName(L"a\\,b"));
  EXPECT_EQ(L"ab", CleanPrinterName(std::wstring(L"a\r\n\t\x01\x1f\x7f") + wchar_t(0x85) + L"b"));
  EXPECT_EQ(L"KQ 80", CleanPrinterName(L"  KQ 80 \t"));
  // Letters of any script stay.
  EXPECT_EQ(L"凯朗 KQ-80 \u00C0", CleanPrinterName(L"凯朗 KQ-80 \u00C0"));
  // An embedded NUL is a control character too.
  EXPECT_EQ(L"KQ80", CleanPrinterName(std::wstring(L"KQ\0" L"80", 5)));
}

TEST(PrinterNameCore, NothingLeftKeepsThePreviousName) {
  std::wstring name = L"previous";
  EXPECT_FALSE(AssignCleanPrinterName(name, L""));
  EXPECT_FALSE(AssignCleanPrinterName(name, L" \"\\, \t"));
  EXPECT_EQ(L"previous", name);
  EXPECT_TRUE(AssignCleanPrinterName(name, L" \"KQ-58\" "));
  EXPECT_EQ(L"KQ-58", name);
}

}  // namespace
