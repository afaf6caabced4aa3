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

TEST(DriverInstallParametersTest, ExactText) {
  std::wstring out;
  ASSERT_TRUE(BuildDriverInstallParameters(L"KQ-80", L"C:\\Setup", L"KQPRINTER", L"USB001", L"KESTROM KQ-80", out));
  EXPECT_EQ(L" printui.dll,PrintUIEntry /z /if /b \"KQ-80\" /f \"C:\\Setup\\KQPRINTER.inf\" /r \"USB001\" /m "
            L"\"KESTROM KQ-80\"",
            out);
  ASSERT_TRUE(BuildDriverInstallParameters(L"KQ-80", L"C:\\Setup", L"KQPRINTER", L"LPT1:", L"KESTROM KQ-80", out));
  EXPECT_NE(std::wstring::npos, out.find(L" /r \"LPT1:\" /m "));
}

TEST(DriverInstallParametersTest, ValuesGoInUnchanged) {
  std::wstring out;
  ASSERT_TRUE(BuildDriverInstallParameters(L"A \"B\"", L"D:\\程序 文件\\新 建", L"Pkg.INF", L"USB001", L"M\\1", out));
  EXPECT_EQ(L" printui.dll,PrintUIEntry /z /if /b \"A \"B\"\" /f \"D:\\程序 文件\\新 建\\Pkg.INF.inf\" /r \"USB001\" /m "
            L"\"M\\1\"",
            out);
}

TEST(DriverInstallParametersTest, QuotedInfPathLimit) {
  // Quotes (2) + folder + backslash (1) + "KQPRINTER" (9) + ".inf" (4): 16 characters besides the folder.
  const std::wstring fits(259 - 16, L'd');
  std::wstring out;
  ASSERT_TRUE(BuildDriverInstallParameters(L"P", fits, L"KQPRINTER", L"USB001", L"M", out));
  EXPECT_NE(std::wstring::npos, out.find(L"\"" + fits + L"\\KQPRINTER.inf\""));
  EXPECT_FALSE(BuildDriverInstallParameters(L"P", fits + L"d", L"KQPRINTER", L"USB001", L"M", out));
  EXPECT_TRUE(out.empty());
}

TEST(DriverInstallParametersTest, SystemParserReadsBackEveryValue) {
  std::wstring out;
  ASSERT_TRUE(BuildDriverInstallParameters(L"KQ-80 (副本 1)", L"C:\\Program Files\\打印 机", L"KQPRINTER", L"USB001",
                                           L"KESTROM KQ-80", out));
  const std::wstring afterEntry = out.substr(out.find(L"PrintUIEntry") + 12);
  const PrintUiCommand command = ParsePrintUiCommand(afterEntry);
  EXPECT_TRUE(command.HasFlag(L"z"));
  EXPECT_TRUE(command.HasFlag(L"if"));
  EXPECT_TRUE(command.stray.empty());
  std::wstring value;
  ASSERT_TRUE(command.GetValue(L"b", value));
  EXPECT_EQ(L"KQ-80 (副本 1)", value);
  ASSERT_TRUE(command.GetValue(L"f", value));
  EXPECT_EQ(L"C:\\Program Files\\打印 机\\KQPRINTER.inf", value);
  ASSERT_TRUE(command.GetValue(L"r", value));
  EXPECT_EQ(L"USB001", value);
  ASSERT_TRUE(command.GetValue(L"m", value));
  EXPECT_EQ(L"KESTROM KQ-80", value);
}

TEST(TestPageParametersTest, ExactTextWithCopySuffix) {
  EXPECT_EQ(L" printui.dll,PrintUIEntry /k /n \"KQ-80 (副本 2)\"", BuildTestPageParameters(L"KQ-80 (副本 2)"));
  EXPECT_EQ(L" printui.dll,PrintUIEntry /k /n \"\"", BuildTestPageParameters(L""));
}

}  // namespace
