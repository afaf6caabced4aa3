// Reading the command lines that the printer-installation entry point (PrintUIEntry) receives:
// the same rules the system's own entry point follows, so that what the wizard builds can be
// checked by taking it apart again, and so the Wine stand-in of the entry point understands it.
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
