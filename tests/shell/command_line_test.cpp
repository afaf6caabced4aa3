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
  // The name is cleaned exactly like a typed one: no comma reaches the install command.
  ASSERT_TRUE(Read(L"/name=\"KQ,80\"", options, offending));
  EXPECT_EQ(options.name, L"KQ80");
  // The switches of updates and removals, and the driver command's limit; repeats that agree.
  ASSERT_TRUE(Read(L"/S /timeout=90 /NoDefault -uninstall /force /port=LPT /port=lpt /timeout=090 "
                   L"/name=前台 /name=前台 /log=C:\\kq.log /LOG=c:\\KQ.LOG",
                   options, offending))
      << offending;
  EXPECT_TRUE(options.hasTimeout && options.noDefault && options.uninstall && options.force);
  EXPECT_EQ(options.timeoutSeconds, 90u);
  EXPECT_EQ(options.logPath, L"C:\\kq.log");
  ASSERT_TRUE(Read(L"/S", options, offending));
  EXPECT_FALSE(options.hasTimeout || options.noDefault || options.uninstall || options.force);
  EXPECT_EQ(options.timeoutSeconds, 600u);
  ASSERT_TRUE(Read(L"/timeout=86400", options, offending));
}

TEST(CommandLine, UnknownSwitchesAndBadValuesAreRefused) {
  CScratchFolder folder(L"log folder");
  for (const std::wstring& arguments :
       {std::wstring(L"/port=com1"), std::wstring(L"/port"), std::wstring(L"/name="), std::wstring(L"/name=\",,\\\\\""),
        std::wstring(L"/log="), std::wstring(L"/log=C:\\logs\\"), L"\"/log=" + folder.Path() + L"\"",
        std::wstring(L"/silent"), std::wstring(L"install"), std::wstring(L"/S=1"), std::wstring(L"/"),
        std::wstring(L"/timeout=0"), std::wstring(L"/timeout=-5"), std::wstring(L"/timeout=1e3"),
        std::wstring(L"/timeout= 60"), std::wstring(L"/timeout=86401"), std::wstring(L"/timeout=99999999999999999999"),
        std::wstring(L"/timeout="), std::wstring(L"/timeout"), std::wstring(L"/nodefault=1"), std::wstring(L"/force=yes"),
        // What a quote leaves inside a value once Windows has split the line.
        std::wstring(L"/name=\"KQ,\"\"80\"\"\""), std::wstring(L"\"/name=Front\\\" /S\""),
        // Repeats that disagree: which one was meant cannot be known.
        std::wstring(L"/port=lpt /port=usb"), std::wstring(L"/name=A /name=B"),
        std::wstring(L"/log=C:\\a.log /log=C:\\b.log"), std::wstring(L"/timeout=60 /timeout=61")}) {
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

// A quote escaped by the backslash that ends a folder swallows the rest of the line into one
// word; the refusal must still be unattended when the raw line asks for that.
TEST(CommandLine, ARefusedLineIsUnattendedWhenItsRawTextHoldsTheSwitch) {
  const std::wstring program = L"\"C:\\安装 程序\\KQSetup.exe\" ";
  for (const wchar_t* arguments : {L"/log=\"C:\\Logs\\\" /S", L"\"/name=Front\\\" /S\"", L"/port=com1 -QUIET",
                                    L"/log=\"C:\\Logs\\\" -s /nodefault", L"\"/timeout=60\\\" /quiet\""}) {
    std::vector<std::wstring> words;
    CommandLineOptions options;
    std::wstring offending;
    EXPECT_FALSE(ReadRawCommandLine(program + arguments, words, options, offending));
    EXPECT_TRUE(options.quiet) << arguments;
    EXPECT_GE(words.size(), 2u);
  }
  // Split by Windows, the first one is a single word: only the raw text still shows the /S.
  EXPECT_EQ(Split(program + L"/log=\"C:\\Logs\\\" /S").size(), 2u);
  EXPECT_TRUE(CommandLineAsksForQuiet(L"KQSetup.exe /log=\"C:\\Logs\\\" /S"));
  EXPECT_TRUE(CommandLineAsksForQuiet(L"KQSetup.exe\t/s\t"));
  EXPECT_TRUE(CommandLineAsksForQuiet(L"KQSetup.exe \"/Quiet\""));
  // Part of another word, or the program's own path, is not the switch.
  EXPECT_FALSE(CommandLineAsksForQuiet(L"\"C:\\a /S b\\KQSetup.exe\" /port=com1"));
  EXPECT_FALSE(CommandLineAsksForQuiet(L"KQSetup.exe /S=1 /log=C:\\x/S /silent -squiet /quiet2"));
  EXPECT_FALSE(CommandLineAsksForQuiet(L""));
  // Without such a word, a refused line is told to the person.
  std::vector<std::wstring> words;
  CommandLineOptions options;
  std::wstring offending;
  EXPECT_FALSE(ReadRawCommandLine(program + L"/log=\"C:\\S\\\" /port=usb", words, options, offending));
  EXPECT_FALSE(options.quiet);
  EXPECT_FALSE(ReadRawCommandLine(program + L"/port=lpt /port=usb /S", words, options, offending));
  EXPECT_EQ(offending, L"/port=usb") << "the switch that disagrees is named";
  EXPECT_TRUE(options.quiet);
}

TEST(CommandLine, JoinedForTheLogWithQuotesWhereNeeded) {
  EXPECT_EQ(JoinCommandLine({L"C:\\a b\\KQSetup.exe", L"/S", L"/name=前台 打印机", L""}),
            L"\"C:\\a b\\KQSetup.exe\" /S \"/name=前台 打印机\" \"\"");
}

}  // namespace
