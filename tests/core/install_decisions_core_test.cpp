#include "core/install_decisions_core.h"

#include <gtest/gtest.h>

namespace {

TEST(FindNewPrinterTest, TakesLastNewEntryContainingBase) {
  const std::vector<std::wstring> before = {L"Fax", L"KQ-80"};
  EXPECT_EQ(L"KQ-80 (副本 1)", FindNewPrinter(before, {L"Fax", L"KQ-80", L"KQ-80 (副本 1)"}, L"KQ-80"));
  // Walked from the end: of two new entries the later one wins.
  EXPECT_EQ(L"My KQ-80 b", FindNewPrinter(before, {L"My KQ-80 a", L"Fax", L"KQ-80", L"My KQ-80 b"}, L"KQ-80"));
  // A new entry without the base name is passed over for an earlier one with it.
  EXPECT_EQ(L"KQ-80 (副本 1)", FindNewPrinter(before, {L"KQ-80 (副本 1)", L"Fax", L"KQ-80", L"Other"}, L"KQ-80"));
}

TEST(FindNewPrinterTest, ComparisonsAreExactAndCaseSensitive) {
  // "kq-80" is a new name (differs from "KQ-80" in case) but does not contain "KQ-80".
  EXPECT_EQ(L"", FindNewPrinter({L"KQ-80"}, {L"KQ-80", L"kq-80"}, L"KQ-80"));
  // "KQ-80" differs from the old "kq-80" only in case, so it counts as new.
  EXPECT_EQ(L"KQ-80", FindNewPrinter({L"kq-80"}, {L"kq-80", L"KQ-80"}, L"KQ-80"));
  // An old name with a trailing blank is another name.
  EXPECT_EQ(L"KQ-80", FindNewPrinter({L"KQ-80 "}, {L"KQ-80 ", L"KQ-80"}, L"KQ-80"));
  EXPECT_EQ(L"", FindNewPrinter({L"KQ-80"}, {L"KQ-80"}, L"KQ-80"));
  EXPECT_EQ(L"", FindNewPrinter({}, {}, L"KQ-80"));
}

TEST(FindNewPrinterTest, NameWithBaseInsideQualifies) {
  EXPECT_EQ(L"Office KQ-80 upstairs", FindNewPrinter({}, {L"Office KQ-80 upstairs"}, L"KQ-80"));
  EXPECT_EQ(L"", FindNewPrinter({}, {L"KQ-8"}, L"KQ-80"));
}

TEST(DefaultPrinterEntryTest, UsbAndLpt) {
  EXPECT_EQ(L"KQ-80,winspool,USB001", MakeDefaultPrinterEntry(Connection::kUsb, L"KQ-80", L"USB001"));
  EXPECT_EQ(L"KQ-80 (副本 1),winspool,USB002", MakeDefaultPrinterEntry(Connection::kUsb, L"KQ-80 (副本 1)", L"USB002"));
  // The parallel entry names LPT1: whatever port is passed.
  EXPECT_EQ(L"KQ-80,winspool,LPT1:", MakeDefaultPrinterEntry(Connection::kLpt, L"KQ-80", L"USB001"));
}

}  // namespace
