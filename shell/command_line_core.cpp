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

// A whole number of seconds from 1 to the limit, in plain digits (no sign, blank or exponent).
bool ParseSeconds(const std::wstring& text, unsigned long& seconds) {
  if (text.empty()) return false;
  unsigned long value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + static_cast<unsigned long>(c - L'0');
    if (value > kMaxDriverTimeoutSeconds) return false;  // before it could overflow
  }
  if (value == 0) return false;
  seconds = value;
  return true;
}

bool IsLineBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

bool ParseCommandLine(const std::vector<std::wstring>& words, CommandLineOptions& options, std::wstring& offending) {
  options = CommandLineOptions();
  offending.clear();
  bool valid = true;
  const auto refuse = [&](const std::wstring& word) {
    if (valid) offending = word;
    valid = false;
  };
  // The switches with a value seen so far: a second one must agree with the first.
  bool portSeen = false, nameSeen = false, logSeen = false, timeoutSeen = false;
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
      continue;
    }
    if (value.find(L'"') != std::wstring::npos) {
      refuse(word);
      continue;
    }
    if (name == L"?" || name == L"help") {
      options.help = true;
      if (hasValue) refuse(word);
    } else if (name == L"nodefault" || name == L"uninstall" || name == L"force") {
      if (hasValue) refuse(word);
      bool& flag = name == L"nodefault" ? options.noDefault : name == L"uninstall" ? options.uninstall : options.force;
      flag = true;
    } else if (name == L"port") {
      const std::wstring port = ToLowerAscii(value);
      const std::wstring type = port == L"usb" ? L"USB" : port == L"lpt" ? L"LPT" : L"";
      if (type.empty() || (portSeen && type != options.portType)) {
        refuse(word);
      } else {
        options.portType = type;
        portSeen = true;
      }
    } else if (name == L"name") {
      // A name the detection page would not take (empty, or nothing left once cleaned) is refused
      // here rather than silently replaced by the proposed one.
      const std::wstring cleaned = CleanPrinterName(value);
      if (cleaned.empty() || (nameSeen && cleaned != options.name)) {
        refuse(word);
      } else {
        options.hasName = true;
        options.name = cleaned;
        nameSeen = true;
      }
    } else if (name == L"log") {
      // File names differ in case only for the same file.
      if (TrimWhiteSpace(value).empty() || (logSeen && !EqualsIgnoreAsciiCase(value, options.logPath))) {
        refuse(word);
      } else if (!logSeen) {
        options.logPath = value;
        logSeen = true;
      }
    } else if (name == L"timeout") {
      unsigned long seconds = 0;
      if (!ParseSeconds(value, seconds) || (timeoutSeen && seconds != options.timeoutSeconds)) {
        refuse(word);
      } else {
        options.hasTimeout = true;
        options.timeoutSeconds = seconds;
        timeoutSeen = true;
      }
    } else {
      refuse(word);
    }
  }
  return valid;
}

bool CommandLineAsksForQuiet(const std::wstring& rawLine) {
  // The program's name goes first, by the system's own rule: up to the closing quote when it
  // starts with one, else up to the first blank. A folder named "/S" is not a switch.
  size_t i = 0;
  if (!rawLine.empty() && rawLine[0] == L'"') {
    const size_t close = rawLine.find(L'"', 1);
    i = close == std::wstring::npos ? rawLine.size() : close + 1;
  } else {
    while (i < rawLine.size() && !IsLineBlank(rawLine[i])) ++i;
  }
  while (i < rawLine.size()) {
    if (IsLineBlank(rawLine[i]) || rawLine[i] == L'"') {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < rawLine.size() && !IsLineBlank(rawLine[end]) && rawLine[end] != L'"') ++end;
    const std::wstring word = ToLowerAscii(rawLine.substr(i, end - i));
    if (word == L"/s" || word == L"-s" || word == L"/quiet" || word == L"-quiet") return true;
    i = end;
  }
  return false;
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
