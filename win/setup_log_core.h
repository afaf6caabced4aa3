// The byte layout of the setup log: UTF-8 with a byte-order mark, one CRLF line per entry, each
// line starting with the local time, and each run of the program starting with a line of its own
// so that the oldest runs can be dropped whole when the file grows too large.
#pragma once

#include <cstddef>
#include <string>

// The log is trimmed when it has grown past this size.
constexpr size_t kSetupLogLimitBytes = 1024 * 1024;
// What a trim keeps at most: room for several runs before the next trim.
constexpr size_t kSetupLogKeepBytes = kSetupLogLimitBytes * 3 / 4;
// One run writes no more than this; past it only its last line (the exit code) follows.
constexpr size_t kSetupLogRunLimitBytes = kSetupLogLimitBytes / 2;

extern const char kUtf8ByteOrderMark[];  // EF BB BF
// The text that starts the first line of every run, after the time.
extern const char kSetupLogRunMark[];

struct LogTime {
  int year, month, day, hour, minute, second, milliseconds;
};

// "YYYY-MM-DD hh:mm:ss.mmm".
std::string FormatLogTime(const LogTime& time);

// The log lines for a UTF-8 text: one "time text\r\n" per line of the text (CR, LF and CRLF all
// end a line; an empty text still makes one line).
std::string FormatLogLines(const std::string& time, const std::string& utf8Text);

// Whether the line starting at `offset` of `content` is the first line of a run.
bool IsRunStartAt(const std::string& content, size_t offset);

// Where the part of a log to keep starts: the first run (at a line start, after any byte-order
// mark) from which the rest of the content fits in `keepBytes`. Returns content.size() when not
// even the newest run fits, and the position after the byte-order mark when everything fits.
size_t TrimmedLogStart(const std::string& content, size_t keepBytes);
