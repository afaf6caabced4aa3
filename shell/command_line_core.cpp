#include "shell/command_line_core.h"

#include "device/printer_name_core.h"
#include "win/format_core.h"

namespace {

// Splits "/name=value" into its lower-cased switch name and its value; false when the word is no
// switch. `hasValue` tells "/log=" (an empty value) from "/log".
bool SplitSwitch(const std::wstring& word, std::wstring& name, std::wstring& value, bool& hasValue) {
  if (word.size() < 2 || (word[0] != L'/' && word[0] != L'-')) return false;
  const size_t equals = word.find(L'=');
  hasValue = equals != std::wstring::npos;
  name = ToLowerAscii(word.substr(1, hasValue ? equals - 1 : std::wstring::npos));
  value = hasValue ? word.substr(equals + 1) : std::wstring();
  return !name.empty();
}

}  // namespace

bool ParseCommandLine(const std::vector<std::wstring>& words, CommandLineOptions& options, std::wstring& offending) {
  options = CommandLineOptions();
  offending.clear();
  bool valid = true;
  const auto refuse = [&](const std::wstring& word) {
    if (valid) offending = word;
    valid = false;
  };
  for (size_t i = 1; i < words.size(); ++i) {
    const std::wstring& word = words[i];
    std::wstring name, value;
    bool hasValue = false;
    if (!SplitSwitch(word, name, value, hasValue)) {
      refuse(word);
      continue;
    }
    if (name == L"s" || name == L"quiet") {
      options.quiet = true;
      if (hasValue) refuse(word);
    } else if (name == L"?" || name == L"help") {
      options.help = true;
      if (hasValue) refuse(word);
    } else if (name == L"port") {
      const std::wstring port = ToLowerAscii(value);
      if (port == L"usb") {
        options.portType = L"USB";
      } else if (port == L"lpt") {
        options.portType = L"LPT";
      } else {
        refuse(word);
      }
    } else if (name == L"name") {
      // A name the detection page would not take (empty, or nothing left once cleaned) is refused
      // here rather than silently replaced by the proposed one.
      const std::wstring cleaned = CleanPrinterName(value);
      if (cleaned.empty()) {
        refuse(word);
      } else {
        options.hasName = true;
        options.name = cleaned;
      }
    } else if (name == L"log") {
      if (TrimWhiteSpace(value).empty()) {
        refuse(word);
      } else {
        options.logPath = value;
      }
    } else {
      refuse(word);
    }
  }
  return valid;
}

std::wstring JoinCommandLine(const std::vector<std::wstring>& words) {
  std::wstring line;
  for (const std::wstring& word : words) {
    if (!line.empty()) line += L' ';
    const bool quote = word.empty() || word.find_first_of(L" \t") != std::wstring::npos;
    line += quote ? L"\"" + word + L"\"" : word;
  }
  return line;
}
