// The setup log: what a support person reads afterwards to see what the wizard did on a PC they
// cannot see. Every run appends to it: what was run, with what result, the texts shown and the
// person's choices. A log that cannot be written never stops or changes the install, and never
// shows a message; before it is opened (and in unit tests) writing to it does nothing.
#pragma once

#include <string>

#include "win/format_core.h"

namespace win {

// Opens the log at `path` (a full path, its folder existing) for appending, creating the file when
// missing, and writes the run's first line: `firstLine` (the program and its version) and the
// computer's name. With `mayTrim`, a log of ours grown past its limit first loses its oldest runs
// (any other file is only appended to); a process that is not the only wizard running must not
// trim, since another is writing. False when the file cannot be opened or its first line cannot
// be written: the run goes on without a log.
bool OpenSetupLog(const std::wstring& path, bool mayTrim, const std::wstring& firstLine);
// As OpenSetupLog; when `path` cannot be used, `fallbackPath` (unless empty) is opened instead, and
// its second line names the file that could not be written and the system's error. For the
// default log: the user's temporary folder, then the Windows one.
bool OpenSetupLogOrFallback(const std::wstring& path, const std::wstring& fallbackPath, bool mayTrim,
                            const std::wstring& firstLine);
bool IsSetupLogOpen();
// The log's full path, empty when none is open.
std::wstring SetupLogPath();

// One entry (a text with line breaks becomes several lines, each with the time and the process
// id). Safe from any thread. An entry that cannot be written (a share that went away, a full
// disk) closes the log for the rest of the run, so that no later entry waits for the same failure.
void LogLine(const std::wstring& text);
template <typename... Args>
void Log(const std::wstring& format, const Args&... args) {
  if (IsSetupLogOpen()) LogLine(FormatString(format, args...));
}

// The run's last line, "exit code N", then closes the log.
void CloseSetupLog(unsigned long exitCode);

// Tests: while set, every write of the log fails, as on a share that went away or a full disk
// (Wine keeps neither byte-range locks nor full disks in the way of a test's writes).
void FailSetupLogWritesForTesting(bool fail);

// Digits of a number, for texts built by concatenation (std::to_wstring would link MinGW's whole
// printf for them).
std::wstring DecimalText(unsigned long value);

}  // namespace win
