#include "install/driver_commands_core.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::wstring>;

TEST(PrintUiWordsTest, BlanksSeparateQuotesGroup) {
  EXPECT_EQ((Words{L"/z", L"/b", L"KQ 80", L"/r", L"USB001"}), SplitPrintUiWords(L"  /z\t/b \"KQ 80\"   /r USB001 "));
  EXPECT_EQ((Words{L"ab c", L"d"}), SplitPrintUiWords(L"a\"b c\" d"));
  EXPECT_EQ((Words{L"", L"x"}), SplitPrintUiWords(L"\"\" x"));
  EXPECT_EQ((Words{L"open end"}), SplitPrintUiWords(L"\"open end"));
  EXPECT_EQ(Words{}, SplitPrintUiWords(L"   "));
}

TEST(PrintUiCommandTest, SwitchesAndValues) {
  const PrintUiCommand command =
      ParsePrintUiCommand(L"/z /if /b \"KQ-80\" /f \"C:\\a b\\KQPRINTER.inf\" /r \"LPT1:\" /m \"KESTROM KQ-80\"");
  EXPECT_EQ((Words{L"z", L"if"}), command.flags);
  std::wstring value;
  ASSERT_TRUE(command.GetValue(L"f", value));
  EXPECT_EQ(L"C:\\a b\\KQPRINTER.inf", value);
  ASSERT_TRUE(command.GetValue(L"r", value));
  EXPECT_EQ(L"LPT1:", value);
  EXPECT_FALSE(command.GetValue(L"n", value));
  EXPECT_TRUE(command.stray.empty());
}

TEST(PrintUiCommandTest, AttachedValueAndTestPage) {
  const PrintUiCommand command = ParsePrintUiCommand(L"/k /n\"KQ-80 (副本 1)\"");
  EXPECT_TRUE(command.HasFlag(L"k"));
  std::wstring value;
  ASSERT_TRUE(command.GetValue(L"n", value));
  EXPECT_EQ(L"KQ-80 (副本 1)", value);
}

TEST(PrintUiCommandTest, OddInput) {
  // Switch names are case-sensitive; an unknown or valueless switch is stray.
  PrintUiCommand command = ParsePrintUiCommand(L"/IF /b");
  EXPECT_FALSE(command.HasFlag(L"if"));
  EXPECT_EQ((Words{L"/IF", L"/b"}), command.stray);
  // A quote inside a value splits it the way the system's reader does.
  command = ParsePrintUiCommand(L"/b \"A \"B\"\" /k");
  std::wstring value;
  ASSERT_TRUE(command.GetValue(L"b", value));
  EXPECT_EQ(L"A B", value);
  EXPECT_TRUE(command.HasFlag(L"k"));
  // The last of repeated values counts.
  command = ParsePrintUiCommand(L"/b one /b two");
  ASSERT_TRUE(command.GetValue(L"b", value));
  EXPECT_EQ(L"two", value);
}

}  // namespace
