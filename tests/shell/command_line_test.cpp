// The unattended install's switches, split by the system's own rules (CommandLineToArgvW) the
// way deployment tools pass them, and every refusal.
#include "shell/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "tests/package/scratch_folder.h"

namespace {

std::vector<std::wstring> Split(const std::wstring& line) {
  std::vector<std::wstring> words;
  int count = 0;
  wchar_t** argv = ::CommandLineToArgvW(line.c_str(), &count);
  for (int i = 0; i < count; ++i) words.emplace_back(argv[i]);
  ::LocalFree(argv);
  return words;
}

bool Read(const std::wstring& arguments, CommandLineOptions& options, std::wstring& offending) {
  return ReadCommandLine(Split(L"\"C:\\安装 程序\\KQSetup.exe\" " + arguments), options, offending);
}

TEST(CommandLine, NoSwitchIsThePlainWizard) {
  CommandLineOptions options;
  std::wstring offending;
  ASSERT_TRUE(ReadCommandLine(Split(L"\"C:\\安装 程序\\KQSetup.exe\""), options, offending));
  EXPECT_FALSE(options.quiet);
  EXPECT_FALSE(options.help);
  EXPECT_EQ(options.portType, L"USB");
  EXPECT_FALSE(options.hasName);
  EXPECT_TRUE(options.logPath.empty());
}

TEST(CommandLine, SwitchesInEitherFormAndCaseWithQuotedValues) {
  for (const wchar_t* arguments : {L"/S /port=LPT \"/name=前台 打印机\" /log=\"C:\\日志 文件\\kq.log\"",
                                    L"-quiet -Port=lpt /NAME=\"前台 打印机\" \"/Log=C:\\日志 文件\\kq.log\""}) {
    CommandLineOptions options;
    std::wstring offending;
    ASSERT_TRUE(Read(arguments, options, offending)) << offending;
    EXPECT_TRUE(options.quiet);
    EXPECT_EQ(options.portType, L"LPT");
    EXPECT_TRUE(options.hasName);
    EXPECT_EQ(options.name, L"前台 打印机");
    EXPECT_EQ(options.logPath, L"C:\\日志 文件\\kq.log");
  }
  CommandLineOptions options;
  std::wstring offending;
  ASSERT_TRUE(Read(L"/?", options, offending));
  EXPECT_TRUE(options.help);
  ASSERT_TRUE(Read(L"-HELP /port=usb", options, offending));
  EXPECT_TRUE(options.help);
  EXPECT_EQ(options.portType, L"USB");
  // The name is cleaned exactly like a typed one: no quote or comma reaches the install command.
  ASSERT_TRUE(Read(L"/name=\"KQ,\"\"80\"\"\"", options, offending));
  EXPECT_EQ(options.name, L"KQ80");
}

TEST(CommandLine, UnknownSwitchesAndBadValuesAreRefused) {
  CScratchFolder folder(L"log folder");
  for (const std::wstring& arguments :
       {std::wstring(L"/port=com1"), std::wstring(L"/port"), std::wstring(L"/name="), std::wstring(L"/name=\",,\\\\\""),
        std::wstring(L"/log="), std::wstring(L"/log=C:\\logs\\"), L"\"/log=" + folder.Path() + L"\"",
        std::wstring(L"/silent"), std::wstring(L"install"), std::wstring(L"/S=1"), std::wstring(L"/")}) {
    CommandLineOptions options;
    std::wstring offending;
    EXPECT_FALSE(Read(L"/S " + arguments, options, offending)) << std::string(arguments.begin(), arguments.end());
    EXPECT_FALSE(offending.empty());
    EXPECT_TRUE(options.quiet) << "a refusal is still unattended when /S is among the words";
  }
  CommandLineOptions options;
  std::wstring offending;
  EXPECT_FALSE(Read(L"/port=usb /bogus /port=com2", options, offending));
  EXPECT_EQ(offending, L"/bogus") << "the first word refused is named";
  EXPECT_FALSE(options.quiet);
}

TEST(CommandLine, JoinedForTheLogWithQuotesWhereNeeded) {
  EXPECT_EQ(JoinCommandLine({L"C:\\a b\\KQSetup.exe", L"/S", L"/name=前台 打印机", L""}),
            L"\"C:\\a b\\KQSetup.exe\" /S \"/name=前台 打印机\" \"\"");
}

}  // namespace
