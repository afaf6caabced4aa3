// The command lines handed to the system's printer-installation entry point (PrintUIEntry of
// printui.dll), and reading them back by the same rules the system's own entry point follows, so
// that what the wizard builds can be checked by taking it apart again, and so the Wine stand-in of
// the entry point understands it. No Windows header, so the host build tests them.
#pragma once

#include <string>
#include <utility>
#include <vector>

// Splits a command line into words: blanks and tabs separate words, a pair of double quotes
// groups blanks into one word and is itself dropped; nothing is escaped. An unmatched quote runs
// to the end of the line.
std::vector<std::wstring> SplitPrintUiWords(const std::wstring& line);

struct PrintUiCommand {
  // Switches without a value, in order, without their slash: L"z", L"if", L"k" ...
  std::vector<std::wstring> flags;
  // Switches with a value (/b, /f, /r, /m, /n ...), in order: switch letter(s) and value. The value
  // is the rest of the word ("/nName") or, when the switch stands alone, the next word.
  std::vector<std::pair<std::wstring, std::wstring>> values;
  // Words that are no switch, and value switches that ended the line without a value.
  std::vector<std::wstring> stray;

  bool HasFlag(const std::wstring& name) const;
  // The last value given for `name`; false when the switch is absent.
  bool GetValue(const std::wstring& name, std::wstring& value) const;
};

// Switch names are case-sensitive, as the system's are (/Ss and /ss differ).
PrintUiCommand ParsePrintUiCommand(const std::wstring& line);

// The longest quoted INF path the command may carry: it must fit a MAX_PATH buffer.
constexpr size_t kMaxQuotedInfPath = 259;

// The parameters of the driver install, handed to rundll32.exe:
//  printui.dll,PrintUIEntry /z /if /b "<printerName>" /f "<programDir>\<packageName>.inf" /r "<port>" /m "<driverDesc>"
// (with a leading blank). Values are quoted as they are, nothing is escaped. Returns false, and
// leaves `out` empty, when the quoted INF path would exceed kMaxQuotedInfPath characters: a cut
// path would point the installer at a file that is not the package.
bool BuildDriverInstallParameters(const std::wstring& printerName, const std::wstring& programDir,
                                  const std::wstring& packageName, const std::wstring& port,
                                  const std::wstring& driverDesc, std::wstring& out);

// The parameters of the driver-only install, which installs (or replaces) the driver `driverDesc`
// from the package without making a queue:
//  printui.dll,PrintUIEntry /ia /m "<driverDesc>" /f "<programDir>\<packageName>.inf"
// False, with `out` empty, when the quoted INF path would exceed kMaxQuotedInfPath characters.
bool BuildDriverOnlyParameters(const std::wstring& programDir, const std::wstring& packageName,
                               const std::wstring& driverDesc, std::wstring& out);

// The parameters of the test page: " printui.dll,PrintUIEntry /k /n "<printerName>"".
std::wstring BuildTestPageParameters(const std::wstring& printerName);
