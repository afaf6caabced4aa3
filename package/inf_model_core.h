// What the wizard takes from the driver package's INF.
// - The model lines: the first line carrying a USB hardware id and the first carrying a
//   parallel-port one. The INF is searched as plain text: sections, keys, string substitutions and
//   comments are not interpreted.
// - The architectures the package serves: its [Manufacturer] section, the models sections each
//   entry names and their target decorations, read the way Windows' installer reads them.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "win/machine_core.h"

extern const wchar_t kInfUsbMarker[];  // "USBPRINT\"
extern const wchar_t kInfLptMarker[];  // "LPTENUM\"

struct InfMarkerLine {
  // From the marker to the end of its line; line breaks become blanks, both ends trimmed.
  std::wstring id;
  // Between the first two double quotes of that line, as written.
  std::wstring description;
};

// Finds the first exact (case-sensitive) occurrence of `marker` in `text`. Both fields are empty
// when the marker is missing or no line feed follows it on its line; the description is empty
// unless the marker line follows a line feed and holds two double quotes.
InfMarkerLine ExtractInfMarkerLine(const std::wstring& text, const std::wstring& marker);

struct InfModelInfo {
  std::wstring usbHardwareId;
  std::wstring usbDescription;
  std::wstring lptHardwareId;
};

// Both searches start from the whole text; the description of the LPT line is not kept.
InfModelInfo ParseInfModelText(const std::wstring& text);

// ---- The architectures the package serves.
//
// Each [Manufacturer] entry names a models section and, from Windows XP on, target decorations:
//   %strkey% = models-section-name [,TargetOSVersion] [,TargetOSVersion] ...
//   TargetOSVersion: NT[Architecture][.[OSMajorVersion][.[OSMinorVersion][.[ProductType]
//                    [.[SuiteMask][.[BuildNumber]]]]]]
// A decoration "NTamd64.10.0" names the models section [models-section-name.NTamd64.10.0].

// One target decoration as read from the entry.
struct InfTargetDecoration {
  std::wstring text;          // as written, blanks and quotes removed ("NTamd64.10.0")
  bool understood = false;    // starts with "NT" and every field given is a number
  std::wstring architecture;  // lower case, empty for "NT" alone: "x86", "amd64", "arm64", ...
  bool hasVersion = false;    // a major version is given (the minor counts as 0 when missing)
  unsigned long major = 0;
  unsigned long minor = 0;
  unsigned long build = 0;    // 0 when none is given
};

struct InfManufacturerEntry {
  std::wstring modelsSection;  // the models section's name without decoration
  std::vector<InfTargetDecoration> decorations;
};

// No real package lists more manufacturers; a hostile INF must not make the reader hold millions.
constexpr size_t kMaxInfManufacturerEntries = 1024;
constexpr size_t kMaxInfDecorationsPerEntry = 64;

struct InfPackageModels {
  bool hasManufacturerSection = false;
  std::vector<InfManufacturerEntry> entries;
  bool entriesCut = false;  // entries or decorations beyond the limits above were not read
  // The models sections the entries can lead to (names in capitals, undecorated and decorated)
  // that the INF holds with at least one model line.
  std::set<std::wstring> filledModelsSections;
};

// Reads the [Manufacturer] section (every section of that name, in any letter case) and which of
// the models sections it names hold a model line. Comments (from a semicolon outside double
// quotes), blank lines and a backslash continuing a line are read as Windows reads them; a quoted
// field keeps its commas and semicolons. Never fails: text that is no INF gives no entries.
InfPackageModels ReadInfPackageModels(const std::wstring& text);

// The decoration's architecture field that names `machine`: "x86", "amd64", "arm64".
const wchar_t* InfArchitectureOf(Machine machine);

struct WindowsVersion {
  unsigned long major = 0;
  unsigned long minor = 0;
  unsigned long build = 0;  // 0: not known, a decoration's build number is then not checked
};

enum class InfModelsVerdict {
  kServed,                // a models section with at least one model serves this machine
  kNoManufacturerSection, // no [Manufacturer] section at all: no Windows installs from this INF
  kNotForThisMachine,     // no entry leads to a filled models section for this machine and version
};

struct InfModelsChoice {
  InfModelsVerdict verdict = InfModelsVerdict::kNotForThisMachine;
  std::wstring section;  // when served: the models section used, as the entry names it
};

// Which models section Windows' installer would use on `machine` running `version`, following
// Microsoft's "INF Manufacturer section" and "Creating INF files for multiple platforms and
// operating systems" (learn.microsoft.com/windows-hardware/drivers/install/inf-manufacturer-section
// and .../creating-inf-files-for-multiple-platforms-and-operating-systems):
// - A decoration serves a machine when its architecture names it; "NT" without an architecture,
//   and the undecorated section, serve x86 machines only (since Windows Server 2003 SP1; x64 and
//   ARM64 Windows came later).
// - A decoration with a version serves that version and later ones: its major.minor (and its build
//   number, where both are known) must not exceed the system's.
// - Of the decorations that serve, Windows takes the one closest to the system: the highest
//   version, and at the same version one naming the architecture before "NT" alone.
// - The undecorated section is used only when no decoration serves, and on Windows 2000, which
//   knows no decorations, always.
// - The section chosen must hold a model: Microsoft's own example leaves a decorated section empty
//   to keep a package off the systems it names, even where a lower decoration would serve them.
// The product type and suite mask fields are not checked: where they are given the package is
// taken as serving, and the system's installer has the last word.
// The package is served when any entry leads to a filled models section.
InfModelsChoice ChooseInfModels(const InfPackageModels& package, Machine machine, const WindowsVersion& version);

// For the setup log: each entry's models section and decorations, "KESTROM: NTx86, NTamd64"
// ("KESTROM: undecorated" without decorations), entries separated by "; "; or why there are none.
std::wstring DescribeInfDecorations(const InfPackageModels& package);
