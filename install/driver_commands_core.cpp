#include "install/driver_commands_core.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Switches that take no value; two-letter ones first so that "/if" is not read as "/i" + "f".
const wchar_t* const kFlagSwitches[] = {L"ia", L"id", L"if", L"ii", L"il", L"in", L"ip", L"dl", L"dn", L"dd",
                                        L"Xg", L"Xs", L"Ss", L"Sr", L"ga", L"ge", L"gd", L"y",  L"q",  L"w",
                                        L"u",  L"k",  L"z",  L"Z",  L"e",  L"o",  L"p",  L"s",  L"x",  L"?"};
const wchar_t* const kValueSwitches[] = {L"a", L"b", L"c", L"f", L"h", L"j", L"l", L"m", L"n", L"r", L"t", L"v"};

bool StartsWith(const std::wstring& text, size_t at, const wchar_t* prefix) {
  for (size_t i = 0; prefix[i] != L'\0'; ++i) {
    if (at + i >= text.size() || text[at + i] != prefix[i]) return false;
  }
  return true;
}

size_t Length(const wchar_t* s) {
  size_t n = 0;
  while (s[n] != L'\0') ++n;
  return n;
}

}  // namespace

std::vector<std::wstring> SplitPrintUiWords(const std::wstring& line) {
  std::vector<std::wstring> words;
  std::wstring word;
  bool inWord = false;
  bool quoted = false;
  for (wchar_t c : line) {
    if (c == L'"') {
      quoted = !quoted;
      inWord = true;  // "" is an empty word
    } else if (IsBlank(c) && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word.push_back(c);
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

bool PrintUiCommand::HasFlag(const std::wstring& name) const {
  for (const std::wstring& flag : flags) {
    if (flag == name) return true;
  }
  return false;
}

bool PrintUiCommand::GetValue(const std::wstring& name, std::wstring& value) const {
  bool found = false;
  for (const auto& entry : values) {
    if (entry.first == name) {
      value = entry.second;
      found = true;
    }
  }
  return found;
}

PrintUiCommand ParsePrintUiCommand(const std::wstring& line) {
  PrintUiCommand command;
  const std::vector<std::wstring> words = SplitPrintUiWords(line);
  for (size_t i = 0; i < words.size(); ++i) {
    const std::wstring& word = words[i];
    if (word.size() < 2 || word[0] != L'/') {
      command.stray.push_back(word);
      continue;
    }
    bool matched = false;
    for (const wchar_t* flag : kFlagSwitches) {
      if (word.size() == 1 + Length(flag) && StartsWith(word, 1, flag)) {
        command.flags.push_back(flag);
        matched = true;
        break;
      }
    }
    if (matched) continue;
    for (const wchar_t* name : kValueSwitches) {
      if (!StartsWith(word, 1, name)) continue;
      matched = true;
      const size_t rest = 1 + Length(name);
      if (word.size() > rest) {
        command.values.emplace_back(name, word.substr(rest));
      } else if (i + 1 < words.size()) {
        command.values.emplace_back(name, words[++i]);
      } else {
        command.stray.push_back(word);
      }
      break;
    }
    if (!matched) command.stray.push_back(word);
  }
  return command;
}

namespace {
std::wstring Quoted(const std::wstring& value) { return L"\"" + value + L"\""; }
}  // namespace

bool BuildDriverInstallParameters(const std::wstring& printerName, const std::wstring& programDir,
                                  const std::wstring& packageName, const std::wstring& port,
                                  const std::wstring& driverDesc, std::wstring& out) {
  out.clear();
  const std::wstring infPath = Quoted(programDir + L"\\" + packageName + L".inf");
  if (infPath.size() > kMaxQuotedInfPath) return false;
  out = L" printui.dll,PrintUIEntry /z /if /b " + Quoted(printerName) + L" /f " + infPath + L" /r " + Quoted(port) +
        L" /m " + Quoted(driverDesc);
  return true;
}

bool BuildDriverOnlyParameters(const std::wstring& programDir, const std::wstring& packageName,
                               const std::wstring& driverDesc, std::wstring& out) {
  out.clear();
  const std::wstring infPath = Quoted(programDir + L"\\" + packageName + L".inf");
  if (infPath.size() > kMaxQuotedInfPath) return false;
  out = L" printui.dll,PrintUIEntry /ia /m " + Quoted(driverDesc) + L" /f " + infPath;
  return true;
}

std::wstring BuildTestPageParameters(const std::wstring& printerName) {
  return L" printui.dll,PrintUIEntry /k /n " + Quoted(printerName);
}
