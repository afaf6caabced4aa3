#include "install/printer_list.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "install_spooler_helpers.h"

namespace {

bool Contains(const std::vector<std::wstring>& list, const std::wstring& name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

TEST(PrinterListTest, EnumAppendsAndRefillEmptiesFirst) {
  const std::wstring name = L"KQ List 列表 " + std::to_wstring(::GetCurrentProcessId());
  ASSERT_TRUE(install_test::AddTestPrinter(name, L"LPT2:")) << ::GetLastError();

  std::vector<std::wstring> list = {L"left over"};
  EnumPrinterNames(list, nullptr);
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(L"left over", list.front());
  EXPECT_TRUE(Contains(list, name));
  const size_t once = list.size();

  EnumPrinterNames(list, nullptr);
  EXPECT_EQ(2 * once - 1, list.size());

  RefillPrinterNames(list, nullptr);
  EXPECT_EQ(once - 1, list.size());
  EXPECT_FALSE(Contains(list, L"left over"));
  EXPECT_TRUE(Contains(list, name));

  EXPECT_TRUE(install_test::DeleteTestPrinter(name));
  RefillPrinterNames(list, nullptr);
  EXPECT_FALSE(Contains(list, name));
}

TEST(PrinterListTest, UniqueNameUsesCopySuffixText) {
  EXPECT_EQ(L"KQ-80", MakeUniquePrinterName(L"KQ-80", {}));
  EXPECT_EQ(L"KQ-80 (副本 1)", MakeUniquePrinterName(L"KQ-80", {L"kq-80"}));
  EXPECT_EQ(L"KQ-80 (副本 2)", MakeUniquePrinterName(L"KQ-80", {L"KQ-80 (副本 1)", L"KQ-80"}));
}

}  // namespace
