// The install sequence's pure decisions: the candidate name of the new printer, which printer the
// driver install created, the default-printer entry, and the exact command lines handed to the
// system's printer-installation entry point. No Windows header, so the host build tests them.
#pragma once

#include <string>
#include <vector>

// The name under which the spooler will show a new printer whose requested name is `base`: `base`
// itself when no existing name equals it, otherwise `base` followed by `suffixFormat` (a text with
// one "%d", e.g. " (副本 %d)") formatted with 1, 2, ... until no existing name equals it.
// Names are compared ignoring the case of the Latin letters A to Z only. The suffix always goes
// on the base name, never on an earlier candidate.
std::wstring MakeUniqueName(const std::wstring& base, const std::vector<std::wstring>& existing,
                            const std::wstring& suffixFormat);

// The printer the driver install created: walking `after` from its last entry to its first, the
// first entry that equals no entry of `before` (exact, case-sensitive) and contains `baseName`
// (case-sensitive). Empty when there is none (a spooler never reports an empty printer name).
std::wstring FindNewPrinter(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after,
                            const std::wstring& baseName);

// The "windows"/"device" profile entry that makes `name` the default printer:
// "<name>,winspool,LPT1:" for port type "LPT", "<name>,winspool,<port>" for "USB", and empty for
// any other port type (no default printer is written then).
std::wstring MakeDefaultPrinterEntry(const std::wstring& portType, const std::wstring& name,
                                     const std::wstring& port);

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

// The rundll32.exe that runs both commands, by its full path (a search would look in the program's
// own folder first). Normally "<systemDirectory>\rundll32.exe". A 32-bit program on 64-bit
// Windows (`underWow64`) is redirected from there to the 32-bit copy, whose printui.dll installs
// drivers for 32-bit Windows only, so the queue would get no driver for the system it runs on:
// there it is "<windowsDirectory>\Sysnative\rundll32.exe", the native one. Empty when the needed
// folder is unknown.
std::wstring Rundll32PathFor(bool underWow64, const std::wstring& systemDirectory,
                             const std::wstring& windowsDirectory);

enum class Wow64State { kNative, kWow64, kUnknown };

struct Rundll32Launch {
  std::wstring path;        // empty when the needed folder is unknown
  bool withoutRedirection;  // start it with WOW64's file-system redirection off
};

// How to start the native rundll32.exe. Under WOW64 it is Sysnative's when that exists
// (`sysnativeFound`: "<windowsDirectory>\Sysnative\rundll32.exe" is there for this process);
// 64-bit Windows XP and Server 2003 without Microsoft's update have no Sysnative, and there it is
// "<systemDirectory>\rundll32.exe" started with the redirection off. A WOW64 query that failed
// counts as WOW64 when Sysnative is there: only WOW64 processes see that folder.
Rundll32Launch ChooseRundll32(Wow64State state, bool sysnativeFound, const std::wstring& systemDirectory,
                              const std::wstring& windowsDirectory);

// The parameters of the test page: " printui.dll,PrintUIEntry /k /n "<printerName>"".
std::wstring BuildTestPageParameters(const std::wstring& printerName);
