#include <gtest/gtest.h>

#include "win/format_core.h"

TEST(FormatText, FillsStringsNumbersAndPaddedNumbers) {
  EXPECT_EQ(FormatString(L"欢迎使用%s打印机", std::wstring(L"凯朗")), L"欢迎使用凯朗打印机");
  EXPECT_EQ(FormatString(L" (副本 %d)", 2), L" (副本 2)");
  EXPECT_EQ(FormatString(L"USB%03d", 1), L"USB001");
  EXPECT_EQ(FormatString(L"USB%03d", 1234), L"USB1234");
  EXPECT_EQ(FormatString(L"%04d", 6), L"0006");
  EXPECT_EQ(FormatString(L"%d", -5), L"-5");
  EXPECT_EQ(FormatString(L"100%%"), L"100%");
}

TEST(FormatText, NeverReadsPastItsArguments) {
  EXPECT_EQ(FormatString(L"%s and %s"), L" and ");
  EXPECT_EQ(FormatString(L"%d%d", 1), L"10");
  EXPECT_EQ(FormatString(L"trailing %"), L"trailing %");
  EXPECT_EQ(FormatString(L"%x stays"), L"%x stays");
  // A text that itself holds a conversion is inserted as it is, not formatted again.
  EXPECT_EQ(FormatString(L"[%s]", std::wstring(L"%s%d")), L"[%s%d]");
}

TEST(CaseAndTrim, OnlyLatinLettersChangeCase) {
  EXPECT_EQ(ToUpperAscii(L"vid_5e1a Ää"), L"VID_5E1A Ää");
  EXPECT_EQ(ToLowerAscii(L"USB\\VID_5E1A"), L"usb\\vid_5e1a");
  EXPECT_TRUE(EqualsIgnoreAsciiCase(L"KQ-80", L"kq-80"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(L"Ä", L"ä"));
  EXPECT_EQ(TrimWhiteSpace(L" \t KQ-80\r\n "), L"KQ-80");
  EXPECT_EQ(TrimWhiteSpace(L" \r\n"), L"");
}
