#include "install/printer_list_core.h"

#include <gtest/gtest.h>

namespace {

const wchar_t kSuffix[] = L" (副本 %d)";

TEST(MakeUniqueNameTest, FreeBaseNameIsKept) {
  EXPECT_EQ(L"KQ-80", MakeUniqueName(L"KQ-80", {}, kSuffix));
  EXPECT_EQ(L"KQ-80", MakeUniqueName(L"KQ-80", {L"KQ-800", L"KQ-8", L"Fax", L"KQ-80 (副本 1)"}, kSuffix));
}

TEST(MakeUniqueNameTest, ClashGetsFirstFreeCounter) {
  EXPECT_EQ(L"KQ-80 (副本 1)", MakeUniqueName(L"KQ-80", {L"Fax", L"KQ-80"}, kSuffix));
  EXPECT_EQ(L"KQ-80 (副本 3)",
            MakeUniqueName(L"KQ-80", {L"KQ-80 (副本 2)", L"KQ-80 (副本 1)", L"KQ-80"}, kSuffix));
  // A gap is filled: the counter starts over from 1 for each call.
  EXPECT_EQ(L"KQ-80 (副本 1)", MakeUniqueName(L"KQ-80", {L"KQ-80", L"KQ-80 (副本 2)"}, kSuffix));
}

TEST(MakeUniqueNameTest, ComparisonIgnoresLatinCaseOnly) {
  // Earlier entries must be looked at again after each change: the copy-1 name comes before the
  // base in the list.
  EXPECT_EQ(L"kq-80 (副本 2)", MakeUniqueName(L"kq-80", {L"KQ-80 (副本 1)", L"Kq-80"}, kSuffix));
  EXPECT_EQ(L"Abc (副本 2)", MakeUniqueName(L"Abc", {L"aBC (副本 1)", L"ABC"}, kSuffix));
  // Only A to Z fold: Greek, Cyrillic and accented letters in another case are different names.
  EXPECT_EQ(L"δρυς", MakeUniqueName(L"δρυς", {L"ΔΡΥΣ"}, kSuffix));
  EXPECT_EQ(L"Принтер", MakeUniqueName(L"Принтер", {L"ПРИНТЕР", L"принтер"}, kSuffix));
  EXPECT_EQ(L"Élan KQ", MakeUniqueName(L"Élan KQ", {L"éLAN kq"}, kSuffix));
  EXPECT_EQ(L"打印机 (副本 1)", MakeUniqueName(L"打印机", {L"打印机"}, kSuffix));
}

TEST(MakeUniqueNameTest, SuffixWithoutCounterStillEnds) {
  const std::wstring name = MakeUniqueName(L"P", {L"P", L"P copy"}, L" copy");
  EXPECT_EQ(L"P copy", name);
  EXPECT_EQ(L"P (副本 1)", MakeUniqueName(L"P", {L"P"}, kSuffix));
}

}  // namespace
