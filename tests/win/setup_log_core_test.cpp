// The setup log's lines and how a log grown too large loses its oldest runs, whole, while any file
// that is not ours is never cut.
#include "win/setup_log_core.h"

#include <gtest/gtest.h>

namespace {

const std::string kStamp = "2026-12-09 05:22:00.123 [4242]";

std::string LogRun(int number, size_t filler, const std::string& stamp = kStamp) {
  std::string run = FormatLogLines(stamp, FormatRunStartText("KQSetup 1.0.0", "PC-" + std::to_string(number)));
  run += FormatLogLines(stamp, std::string(filler, 'x'));
  run += FormatLogLines(stamp, "exit code 0");
  return run;
}

TEST(SetupLogCore, EveryLineStartsWithTheTimeAndTheProcessAndEndsInCrLf) {
  EXPECT_EQ(FormatLogTime({2026, 1, 2, 3, 4, 5, 6}), "2026-01-02 03:04:05.006");
  EXPECT_EQ(FormatLogStamp({2026, 1, 2, 3, 4, 5, 6}, 4294967295ul), "2026-01-02 03:04:05.006 [4294967295]");
  EXPECT_EQ(FormatLogLines(kStamp, "one"), kStamp + " one\r\n");
  EXPECT_EQ(FormatLogLines(kStamp, ""), kStamp + " \r\n");
  // A message box text with its own line ends: every line of it gets the stamp.
  EXPECT_EQ(FormatLogLines(kStamp, "a\r\nb\nc\rd\r\n"),
            kStamp + " a\r\n" + kStamp + " b\r\n" + kStamp + " c\r\n" + kStamp + " d\r\n");
  // The run's first line names the computer, so that the runs of many PCs in one log part.
  EXPECT_EQ(FormatRunStartText("KQSetup 1.0.0", "前台-01"), "===== KQSetup 1.0.0 on computer 前台-01 =====");
  EXPECT_EQ(FormatRunStartText("KQSetup 1.0.0", ""), "===== KQSetup 1.0.0 =====");
}

TEST(SetupLogCore, ARunLineIsRecognisedOnlyAtItsPlaceWithOrWithoutTheProcess) {
  const std::string line = FormatLogLines(kStamp, FormatRunStartText("KQSetup 1.0.0", "PC"));
  EXPECT_TRUE(IsRunStartAt(line, 0));
  EXPECT_EQ(LogLineTextStart(line, 0), kStamp.size() + 1);
  // A log of an earlier version, without the process id, is still ours.
  EXPECT_TRUE(IsRunStartAt("2026-12-09 05:22:00.123 ===== KQSetup 1.0.0 =====\r\n", 0));
  EXPECT_FALSE(IsRunStartAt(FormatLogLines(kStamp, std::string("message: ") + kSetupLogRunMark), 0));
  EXPECT_FALSE(IsRunStartAt(line, 1));
  EXPECT_FALSE(IsRunStartAt("short", 0));
  EXPECT_FALSE(IsRunStartAt("2026-12-09 05:22:00.123 [42", 0));
  EXPECT_FALSE(IsRunStartAt("Build 2026-12-09 05:22 ===== KQSetup =====", 0));
  EXPECT_FALSE(IsRunStartAt("2026-12-09T05:22:00.123 ===== KQSetup =====", 0));
}

TEST(SetupLogCore, TrimmingDropsTheOldestRunsWholeAndKeepsWhatOthersAppended) {
  const std::string bom = kUtf8ByteOrderMark;
  const std::string first = LogRun(1, 400), second = LogRun(2, 400);
  // A deployment tool appended its own lines between our runs (and a run of the older format).
  const std::string others = "[Intune] retrying KQSetup.exe /S\r\n", third = LogRun(3, 400, "2026-12-09 05:22:00.123");
  const std::string log = bom + first + second + others + third;
  // Everything fits: only the mark is passed over.
  EXPECT_EQ(TrimmedLogStart(log, log.size()), bom.size());
  // Room for the two newest runs, and a little more than those: the cut is at a run's first line,
  // and the other program's lines after it stay.
  EXPECT_EQ(TrimmedLogStart(log, second.size() + others.size() + third.size() + 100), bom.size() + first.size());
  EXPECT_EQ(TrimmedLogStart(log, third.size() + 10), log.size() - third.size());
  // Not even the newest run fits: it is kept whole rather than cut into.
  EXPECT_EQ(TrimmedLogStart(log, third.size() - 1), log.size() - third.size());
  // Nothing but one run (with a great deal appended by others after it): nothing is cut.
  const std::string appended = bom + first + std::string(5000, 'y') + "\r\n";
  EXPECT_EQ(TrimmedLogStart(appended, 100), bom.size());
}

TEST(SetupLogCore, AFileThatDoesNotStartLikeOursIsNeverCut) {
  const std::string run = LogRun(1, 400);
  for (const std::string& foreign :
       {std::string(5000, 'y') + "\r\n" + run + run,                 // another tool's log that we appended to
        std::string(kUtf8ByteOrderMark) + "[Setup] start\r\n" + run,  // its own UTF-8 log
        run + run + run,                                              // no byte-order mark: not made by us
        std::string()}) {
    EXPECT_EQ(TrimmedLogStart(foreign, 100), 0u);
    EXPECT_FALSE(StartsAsSetupLog(foreign.substr(0, kSetupLogHeadBytes)));
  }
  const std::string ours = kUtf8ByteOrderMark + run;
  EXPECT_TRUE(StartsAsSetupLog(ours.substr(0, kSetupLogHeadBytes)));
}

}  // namespace
