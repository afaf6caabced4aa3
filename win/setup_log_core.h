// The byte layout of the setup log: UTF-8 with a byte-order mark, one CRLF line per entry, each
// line starting with the local time and the writing process's id, and each run of the program
// starting with a line of its own that names the computer, so that the oldest runs can be dropped
// whole when the file grows too large, and so that the runs of many PCs in one shared log, or a
// second start refused in the middle of a running one, can be told apart:
//
//   2026-12-09 05:22:00.123 [4242] ===== KQSetup 1.0.0 on computer FRONT-01 =====
//   2026-12-09 05:22:00.125 [4242] command line: ...
//
// Logs written before the process id was added ("time text") are still read as ours.
#pragma once

#include <cstddef>
#include <string>

// The log is trimmed when it has grown past this size.
constexpr size_t kSetupLogLimitBytes = 1024 * 1024;
// What a trim keeps at most: room for several runs before the next trim.
constexpr size_t kSetupLogKeepBytes = kSetupLogLimitBytes * 3 / 4;
// One run writes no more than this; past it only its last line (the exit code) follows.
constexpr size_t kSetupLogRunLimitBytes = kSetupLogLimitBytes / 2;
// How much of a file's start tells whether it is a log of ours (StartsAsSetupLog).
constexpr size_t kSetupLogHeadBytes = 64;

extern const char kUtf8ByteOrderMark[];  // EF BB BF
// The text that starts the first line of every run, after the time and the process id.
extern const char kSetupLogRunMark[];

struct LogTime {
  int year, month, day, hour, minute, second, milliseconds;
};

// "YYYY-MM-DD hh:mm:ss.mmm".
std::string FormatLogTime(const LogTime& time);
// What starts every line: "YYYY-MM-DD hh:mm:ss.mmm [process id]".
std::string FormatLogStamp(const LogTime& time, unsigned long processId);

// The text of a run's first line: "===== <program> on computer <computer> =====" (the computer
// left out when unknown).
std::string FormatRunStartText(const std::string& program, const std::string& computer);

// The log lines for a UTF-8 text: one "stamp text\r\n" per line of the text (CR, LF and CRLF all
// end a line; an empty text still makes one line).
std::string FormatLogLines(const std::string& stamp, const std::string& utf8Text);

// Where the text of the line starting at `offset` begins, after its time and any process id;
// std::string::npos when the line does not start like a line of ours.
size_t LogLineTextStart(const std::string& content, size_t offset);

// Whether the line starting at `offset` of `content` is the first line of a run.
bool IsRunStartAt(const std::string& content, size_t offset);

// Whether a file starting with `head` (its first kSetupLogHeadBytes bytes, or all of it when
// shorter) is a log of ours: the byte-order mark, then a run's first line. Any other file (a
// deployment tool's own log named by /log=, some other file named by a typo) is only ever
// appended to, never cut.
bool StartsAsSetupLog(const std::string& head);

// Where the part of a log to keep starts. Only a log of ours (StartsAsSetupLog) is ever cut, and
// only at the first line of one of its runs; whatever follows that line is kept whole, lines that
// other programs appended between our runs too. The cut is at the first run from which the rest
// fits in `keepBytes`, or, when no run starts late enough, at the newest run (keeping more than
// `keepBytes` rather than cutting into what follows it). Returns 0 for a file that is not ours
// and the position after the byte-order mark when nothing is to be cut.
size_t TrimmedLogStart(const std::string& content, size_t keepBytes);
