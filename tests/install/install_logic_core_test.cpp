#include "install/install_logic_core.h"

#include <gtest/gtest.h>

#include "install/driver_commands_core.h"

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
  EXPECT_EQ(L"KQ-80,winspool,USB001", MakeDefaultPrinterEntry(L"USB", L"KQ-80", L"USB001"));
  EXPECT_EQ(L"KQ-80 (副本 1),winspool,USB002", MakeDefaultPrinterEntry(L"USB", L"KQ-80 (副本 1)", L"USB002"));
  // The parallel entry names LPT1: whatever port is passed.
  EXPECT_EQ(L"KQ-80,winspool,LPT1:", MakeDefaultPrinterEntry(L"LPT", L"KQ-80", L"USB001"));
  EXPECT_EQ(L"", MakeDefaultPrinterEntry(L"COM", L"KQ-80", L"COM1:"));
  EXPECT_EQ(L"", MakeDefaultPrinterEntry(L"usb", L"KQ-80", L"USB001"));
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

TEST(Rundll32PathTest, NativeOneOnEverySystem) {
  EXPECT_EQ(L"C:\\WINDOWS\\system32\\rundll32.exe", Rundll32PathFor(false, L"C:\\WINDOWS\\system32", L"C:\\WINDOWS"));
  // A 32-bit program on 64-bit Windows would be sent to SysWOW64 from system32.
  EXPECT_EQ(L"C:\\WINDOWS\\Sysnative\\rundll32.exe", Rundll32PathFor(true, L"C:\\WINDOWS\\system32", L"C:\\WINDOWS"));
  EXPECT_EQ(L"D:\\Sysnative\\rundll32.exe", Rundll32PathFor(true, L"D:\\system32", L"D:\\"));
  EXPECT_EQ(L"", Rundll32PathFor(true, L"C:\\WINDOWS\\system32", L""));
  EXPECT_EQ(L"", Rundll32PathFor(false, L"", L"C:\\WINDOWS"));
}

// Sysnative exists only for 32-bit programs on 64-bit Windows, and 64-bit Windows XP and Server
// 2003 lack it without Microsoft's update.
TEST(Rundll32PathTest, ChoiceUnderWow64WithAndWithoutSysnative) {
  const std::wstring system = L"C:\\WINDOWS\\system32", windows = L"C:\\WINDOWS";
  const std::wstring native = L"C:\\WINDOWS\\system32\\rundll32.exe", sysnative = L"C:\\WINDOWS\\Sysnative\\rundll32.exe";
  struct Case {
    Wow64State state;
    bool sysnativeFound;
    std::wstring path;
    bool withoutRedirection;
  };
  for (const Case& c : {Case{Wow64State::kNative, false, native, false}, Case{Wow64State::kWow64, true, sysnative, false},
                        Case{Wow64State::kWow64, false, native, true}, Case{Wow64State::kUnknown, true, sysnative, false},
                        Case{Wow64State::kUnknown, false, native, false}}) {
    const Rundll32Launch launch = ChooseRundll32(c.state, c.sysnativeFound, system, windows);
    EXPECT_EQ(launch.path, c.path) << static_cast<int>(c.state) << c.sysnativeFound;
    EXPECT_EQ(launch.withoutRedirection, c.withoutRedirection) << static_cast<int>(c.state) << c.sysnativeFound;
  }
  EXPECT_EQ(ChooseRundll32(Wow64State::kWow64, false, L"", windows).path, L"");
}

TEST(TestPageParametersTest, ExactTextWithCopySuffix) {
  EXPECT_EQ(L" printui.dll,PrintUIEntry /k /n \"KQ-80 (副本 2)\"", BuildTestPageParameters(L"KQ-80 (副本 2)"));
  EXPECT_EQ(L" printui.dll,PrintUIEntry /k /n \"\"", BuildTestPageParameters(L""));
}

}  // namespace
