// The setup log on real files: a file that is not ours is only appended to however large it is,
// a write that fails closes the log for the rest of the run, and a folder that cannot be written
// sends the log to the fallback.
#include "win/setup_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/package/scratch_folder.h"
#include "win/setup_log_core.h"

namespace {

std::string ReadBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
  ::CloseHandle(file);
  return bytes;
}

std::string ProcessMark() { return "[" + std::to_string(::GetCurrentProcessId()) + "] "; }

TEST(SetupLog, AnotherProgramsLargeLogIsOnlyAppendedToAndOursIsTrimmedAtARun) {
  CScratchFolder folder(L"setup log");
  // A deployment tool's own log, past the limit, named by /log=.
  const std::string foreign = "\xEF\xBB\xBF[Tool] " + std::string(kSetupLogLimitBytes + 4096, 'y') + "\r\n";
  ASSERT_TRUE(CScratchFolder::WriteFile(folder / L"tool.log", foreign));
  ASSERT_TRUE(win::OpenSetupLog(folder / L"tool.log", true, L"KQSetup 1.0.0"));
  win::CloseSetupLog(0);
  const std::string after = ReadBytes(folder / L"tool.log");
  ASSERT_GT(after.size(), foreign.size());
  EXPECT_EQ(after.compare(0, foreign.size(), foreign), 0) << "another program's log lost its contents";
  EXPECT_NE(after.find(ProcessMark() + "===== KQSetup 1.0.0 on computer ", foreign.size()), std::string::npos);

  // Our own log past the limit loses its oldest runs, at a run's first line, and what others
  // appended after the cut stays.
  const std::string stamp = "2026-12-09 05:22:00.123 [77]";
  std::string ours = kUtf8ByteOrderMark;
  for (int run = 0; run < 12; ++run) {
    ours += FormatLogLines(stamp, FormatRunStartText("KQSetup 1.0.0", "PC-" + std::to_string(run)));
    ours += FormatLogLines(stamp, std::string(100 * 1024, 'x'));
    if (run == 11) ours += "[Tool] appended between runs\r\n";
  }
  ASSERT_TRUE(CScratchFolder::WriteFile(folder / L"ours.log", ours));
  ASSERT_TRUE(win::OpenSetupLog(folder / L"ours.log", true, L"KQSetup 1.0.0"));
  win::CloseSetupLog(0);
  const std::string trimmed = ReadBytes(folder / L"ours.log");
  EXPECT_LT(trimmed.size(), kSetupLogKeepBytes + 4096);
  EXPECT_TRUE(StartsAsSetupLog(trimmed.substr(0, kSetupLogHeadBytes)));
  EXPECT_NE(trimmed.find("[Tool] appended between runs\r\n"), std::string::npos);
  EXPECT_EQ(trimmed.find("PC-0 "), std::string::npos);
  EXPECT_NE(trimmed.find("PC-11 "), std::string::npos);
}

TEST(SetupLog, AFailedWriteClosesTheLogForTheRestOfTheRun) {
  CScratchFolder folder(L"setup log write");
  const std::wstring path = folder / L"KQSetup.log";
  ASSERT_TRUE(win::OpenSetupLog(path, false, L"KQSetup 1.0.0"));
  win::LogLine(L"before");
  win::FailSetupLogWritesForTesting(true);
  win::LogLine(L"refused");
  win::FailSetupLogWritesForTesting(false);
  EXPECT_FALSE(win::IsSetupLogOpen()) << "a log whose write failed stays open";
  EXPECT_EQ(win::SetupLogPath(), L"");
  win::LogLine(L"after");
  win::CloseSetupLog(0);
  const std::string text = ReadBytes(path);
  EXPECT_NE(text.find(ProcessMark() + "before\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("after"), std::string::npos) << text;
  EXPECT_EQ(text.find("exit code"), std::string::npos) << text;
}

TEST(SetupLog, AFolderThatCannotBeWrittenSendsTheLogToTheFallback) {
  CScratchFolder folder(L"setup log fallback");
  const std::wstring missing = folder / L"gone\\KQSetup.log";
  ASSERT_TRUE(win::OpenSetupLogOrFallback(missing, folder / L"KQSetup.log", false, L"KQSetup 1.0.0"));
  EXPECT_EQ(win::SetupLogPath(), folder / L"KQSetup.log");
  win::CloseSetupLog(1603);
  const std::string text = ReadBytes(folder / L"KQSetup.log");
  EXPECT_NE(text.find("the log cannot be written at "), std::string::npos) << text;
  EXPECT_NE(text.find("(error 3)"), std::string::npos) << text;
  EXPECT_NE(text.find(ProcessMark() + "exit code 1603\r\n"), std::string::npos) << text;
  // Neither can be written: no log, and nothing in the way of the run.
  EXPECT_FALSE(win::OpenSetupLogOrFallback(missing, folder / L"gone too\\KQSetup.log", false, L"KQSetup 1.0.0"));
  EXPECT_FALSE(win::IsSetupLogOpen());
}

}  // namespace
