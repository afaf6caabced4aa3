// The switches of an unattended install, read from the words of the command line (split the way
// Windows splits one). With no switch at all the program is the plain wizard.
#pragma once

#include <string>
#include <vector>

struct CommandLineOptions {
  bool quiet = false;        // /S or /quiet: no window and no message box at any time
  bool help = false;         // /? or /help
  std::wstring portType = L"USB";  // /port=usb (the default) or /port=lpt: "USB" or "LPT"
  bool hasName = false;      // /name=<text>, cleaned like a name typed into the detection page
  std::wstring name;
  std::wstring logPath;      // /log=<file> as given; empty for the default place
};

// Reads `words` (the program's own name first, then its arguments). Switches start with "/" or
// "-" and are case-insensitive; a value follows "=". False for an unknown switch or a bad value
// (/port=com1, a /name= that leaves nothing once cleaned, an empty /log=), with `offending` the
// word refused. `options.quiet` is set whenever /S or /quiet is among the words, even when another
// word is refused, so that a refusal is not shown to nobody.
bool ParseCommandLine(const std::vector<std::wstring>& words, CommandLineOptions& options, std::wstring& offending);

// The command line as the log records it: the words joined by blanks, each in quotes when it
// holds a blank or is empty.
std::wstring JoinCommandLine(const std::vector<std::wstring>& words);
