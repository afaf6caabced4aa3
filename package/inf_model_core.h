// What the wizard takes from the driver package's INF: the first line carrying a USB hardware id
// and the first carrying a parallel-port one. The INF is searched as plain text: sections, keys,
// string substitutions and comments are not interpreted.
#pragma once

#include <string>

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
