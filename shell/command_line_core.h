// The switches of an unattended install, read from the words of the command line (split the way
// Windows splits one). With no switch at all the program is the plain wizard.
#pragma once

#include <string>
#include <vector>

// How long an unattended run waits for the driver command by default, and the most it may be
// told to wait: nobody answers a prompt the system shows under /S, so the wait must end, and a
// limit of days would only hold the one-wizard lock (and every retry's 1618) for as long.
constexpr unsigned long kDefaultDriverTimeoutSeconds = 10 * 60;
constexpr unsigned long kMaxDriverTimeoutSeconds = 24 * 60 * 60;

struct CommandLineOptions {
  bool quiet = false;        // /S or /quiet: no window and no message box at any time
  bool help = false;         // /? or /help
  std::wstring portType = L"USB";  // /port=usb (the default) or /port=lpt: "USB" or "LPT"
  bool hasName = false;      // /name=<text>, cleaned like a name typed into the detection page
  std::wstring name;
  std::wstring logPath;      // /log=<file> as given; empty for the default place
  bool hasTimeout = false;   // /timeout=<seconds>: the unattended run's limit for the driver command
  unsigned long timeoutSeconds = kDefaultDriverTimeoutSeconds;
  bool noDefault = false;    // /nodefault: every default printer stays as it is
  bool uninstall = false;    // /uninstall: remove what an earlier install put in place
  bool force = false;        // /force: install a package older than the driver in place
};

// Reads `words` (the program's own name first, then its arguments). Switches start with "/" or
// "-" and are case-insensitive; a value follows "=". False for an unknown switch or a bad value
// (/port=com1, a /name= that leaves nothing once cleaned, an empty /log=, a /timeout= that is no
// whole number of seconds from 1 to kMaxDriverTimeoutSeconds), for a value that holds a double
// quote (what is left of a quote Windows' splitting took as part of the word, such as
// /log="C:\Logs\" /S, which arrives as the one value C:\Logs" /S), and for a switch given twice
// with values that differ (which one a deployment tool meant cannot be known; the same value twice
// is fine). `offending` is the first word refused. `options.quiet` is set whenever /S or /quiet is
// among the words, even when another word is refused, so that a refusal is not shown to nobody.
bool ParseCommandLine(const std::vector<std::wstring>& words, CommandLineOptions& options, std::wstring& offending);

// Whether the raw command line (as GetCommandLineW gives it, the program's name first) holds /S,
// -S, /quiet or -quiet (in any case) as a word of its own, bounded by blanks, double quotes or the
// line's ends. For a refused command line: Windows' splitting can bury such a switch inside
// another word, and a refusal shown in a box that nobody sees would keep an unattended run
// waiting for ever.
bool CommandLineAsksForQuiet(const std::wstring& rawLine);

// The command line as the log records it: the words joined by blanks, each in quotes when it
// holds a blank or is empty.
std::wstring JoinCommandLine(const std::vector<std::wstring>& words);
