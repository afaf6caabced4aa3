// The setup log: what a support person reads afterwards to see what the wizard did on a PC they
// cannot see. Every run appends to it: what was run, with what result, the texts shown and the
// person's choices. A log that cannot be written never stops or changes the install, and never
// shows a message; before it is opened (and in unit tests) writing to it does nothing.
#pragma once

#include <string>

#include "win/format_core.h"

namespace win {

// Opens the log at `path` (a full path, its folder existing) for appending, creating the file when
// missing. With
// `mayTrim`, a log grown past its limit first loses its oldest runs; a process that is not the
// only wizard running must not trim, since another is writing. Writes the run's first line.
// False when the file cannot be opened: the run goes on without a log.
bool OpenSetupLog(const std::wstring& path, bool mayTrim, const std::wstring& firstLine);
bool IsSetupLogOpen();
// The log's full path, empty when none is open.
std::wstring SetupLogPath();

// One entry (a text with line breaks becomes several lines, each with the time). Safe from any
// thread.
void LogLine(const std::wstring& text);
template <typename... Args>
void Log(const std::wstring& format, const Args&... args) {
  if (IsSetupLogOpen()) LogLine(FormatString(format, args...));
}

// The run's last line, "exit code N", then closes the log.
void CloseSetupLog(unsigned long exitCode);

// Digits of a number, for texts built by concatenation (std::to_wstring would link MinGW's whole
// printf for them).
std::wstring DecimalText(unsigned long value);

}  // namespace win
