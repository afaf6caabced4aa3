// The helper's log file: one appended entry per message, stamped with the local date and time.
#pragma once

#include <string>

// The log lies beside the executable: its path with the last four characters (".exe") replaced by
// ".log". A path that is not longer than four characters or has no "." in the fourth-last place
// gets no log file; an empty result means "do not log".
std::wstring HelperLogPathFor(const std::wstring& modulePath);

// Sets the log file from the running executable's path.
void InitHelperLog();
// Points the log elsewhere (or nowhere, with an empty path).
void SetHelperLogPath(const std::wstring& path);
std::wstring GetHelperLogPath();

// One entry: "MM/DD/YYYY, hh:mm:ss\n    " followed by the message. The file is opened for
// appending and closed again for every entry; entries from the service threads are serialised.
void HelperLog(const std::wstring& message);
