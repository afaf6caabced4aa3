// The setup log's lines and how a log grown too large loses its oldest runs, whole.
#include "win/setup_log_core.h"

#include <gtest/gtest.h>

namespace {

const std::string kTime = "2026-12-09 05:22:00.123";

std::string LogRun(int number, size_t filler) {
  std::string run = FormatLogLines(kTime, std::string(kSetupLogRunMark) + "KQSetup run " + std::to_string(number));
  run += FormatLogLines(kTime, std::string(filler, 'x'));
  run += FormatLogLines(kTime, "exit code 0");
  return run;
}

TEST(SetupLogCore, EveryLineStartsWithTheTimeAndEndsInCrLf) {
  EXPECT_EQ(FormatLogTime({2026, 1, 2, 3, 4, 5, 6}), "2026-01-02 03:04:05.006");
  EXPECT_EQ(FormatLogLines(kTime, "one"), kTime + " one\r\n");
  EXPECT_EQ(FormatLogLines(kTime, ""), kTime + " \r\n");
  // A message box text with its own line ends: every line of it gets the time.
  EXPECT_EQ(FormatLogLines(kTime, "a\r\nb\nc\rd\r\n"), kTime + " a\r\n" + kTime + " b\r\n" + kTime + " c\r\n" + kTime + " d\r\n");
}

TEST(SetupLogCore, TrimmingDropsTheOldestRunsWhole) {
  const std::string bom = kUtf8ByteOrderMark;
  const std::string first = LogRun(1, 400), second = LogRun(2, 400), third = LogRun(3, 400);
  const std::string log = bom + first + second + third;
  // Everything fits: only the mark is passed over.
  EXPECT_EQ(TrimmedLogStart(log, log.size()), bom.size());
  // Room for the two newest runs, and a little more than those: the cut is at a run's first line.
  EXPECT_EQ(TrimmedLogStart(log, second.size() + third.size() + 100), bom.size() + first.size());
  EXPECT_EQ(TrimmedLogStart(log, second.size() + third.size()), bom.size() + first.size());
  EXPECT_EQ(TrimmedLogStart(log, third.size() + 10), bom.size() + first.size() + second.size());
  // Not even the newest run fits: nothing is kept.
  EXPECT_EQ(TrimmedLogStart(log, third.size() - 1), log.size());
  // A log without run marks (not written by us, or cut) loses all of it rather than half a line.
  const std::string foreign = std::string(5000, 'y') + "\r\n";
  EXPECT_EQ(TrimmedLogStart(foreign, 100), foreign.size());
}

TEST(SetupLogCore, ARunLineIsRecognisedOnlyAtItsPlace) {
  const std::string line = FormatLogLines(kTime, std::string(kSetupLogRunMark) + "KQSetup 1.0.0");
  EXPECT_TRUE(IsRunStartAt(line, 0));
  EXPECT_FALSE(IsRunStartAt(FormatLogLines(kTime, std::string("message: ") + kSetupLogRunMark), 0));
  EXPECT_FALSE(IsRunStartAt(line, 1));
  EXPECT_FALSE(IsRunStartAt("short", 0));
}

}  // namespace
