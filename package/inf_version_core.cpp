#include "package/inf_version_core.h"

#include "win/format_core.h"

namespace {

// Reads up to `count` dot-separated numbers of at most 9 digits each; false when anything else
// stands in the text.
bool ReadParts(const std::wstring& text, unsigned long* parts, int count) {
  if (text.empty()) return false;
  int index = 0;
  size_t digits = 0;
  unsigned long value = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    const wchar_t c = i < text.size() ? text[i] : L'.';
    if (c >= L'0' && c <= L'9') {
      if (++digits > 9) return false;
      value = value * 10 + static_cast<unsigned long>(c - L'0');
    } else if (c == L'.' && digits > 0 && index < count) {
      parts[index++] = value;
      value = 0;
      digits = 0;
    } else {
      return false;
    }
  }
  return true;
}

// "mm/dd/yyyy" as "yyyy-mm-dd"; empty when it is no such date.
std::wstring ReadDate(const std::wstring& text) {
  unsigned long month = 0;
  unsigned long day = 0;
  unsigned long year = 0;
  const size_t first = text.find(L'/');
  const size_t second = first == std::wstring::npos ? first : text.find(L'/', first + 1);
  if (second == std::wstring::npos) return std::wstring();
  unsigned long value[1] = {0};
  if (!ReadParts(text.substr(0, first), value, 1)) return std::wstring();
  month = value[0];
  if (!ReadParts(text.substr(first + 1, second - first - 1), value, 1)) return std::wstring();
  day = value[0];
  if (!ReadParts(text.substr(second + 1), value, 1)) return std::wstring();
  year = value[0];
  if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1000 || year > 9999) return std::wstring();
  return FormatString(L"%04d-%02d-%02d", year, month, day);
}

std::wstring WithoutComment(const std::wstring& line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == L'"') quoted = !quoted;
    if (line[i] == L';' && !quoted) return line.substr(0, i);
  }
  return line;
}

std::wstring WithoutBlanksOrQuotes(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c != L'"' && !IsWhiteSpace(c)) out += c;
  }
  return out;
}

// The version from "date[,version]".
DriverVersion ReadValue(const std::wstring& value) {
  DriverVersion version;
  const std::wstring text = WithoutBlanksOrQuotes(value);
  const size_t comma = text.find(L',');
  version.date = ReadDate(text.substr(0, comma));
  if (version.date.empty()) return DriverVersion();
  if (comma != std::wstring::npos && !ReadParts(text.substr(comma + 1), version.parts, 4)) return DriverVersion();
  version.valid = true;
  return version;
}

}  // namespace

std::wstring DriverVersion::VersionText() const {
  return FormatString(L"%d.%d.%d.%d", parts[0], parts[1], parts[2], parts[3]);
}

DriverVersion ReadDriverVer(const std::wstring& infText) {
  DriverVersion found;
  bool inVersion = false;
  size_t start = 0;
  while (start <= infText.size()) {
    size_t end = infText.find(L'\n', start);
    if (end == std::wstring::npos) end = infText.size();
    const std::wstring line = TrimWhiteSpace(WithoutComment(infText.substr(start, end - start)));
    start = end + 1;
    if (line.empty()) continue;
    if (line[0] == L'[') {
      const size_t close = line.find(L']');
      inVersion = close != std::wstring::npos && EqualsIgnoreAsciiCase(TrimWhiteSpace(line.substr(1, close - 1)), L"Version");
      continue;
    }
    if (!inVersion) continue;
    const size_t equals = line.find(L'=');
    if (equals == std::wstring::npos || !EqualsIgnoreAsciiCase(TrimWhiteSpace(line.substr(0, equals)), L"DriverVer")) {
      continue;
    }
    found = ReadValue(line.substr(equals + 1));
  }
  return found;
}

int CompareDriverVersions(const DriverVersion& a, const DriverVersion& b) {
  for (int i = 0; i < 4; ++i) {
    if (a.parts[i] != b.parts[i]) return a.parts[i] < b.parts[i] ? -1 : 1;
  }
  if (a.date != b.date) return a.date < b.date ? -1 : 1;
  return 0;
}

std::wstring StoredDriverVersion(const DriverVersion& version) {
  return version.valid ? version.date + L"," + version.VersionText() : std::wstring();
}

DriverVersion ParseStoredDriverVersion(const std::wstring& stored) {
  DriverVersion version;
  const size_t comma = stored.find(L',');
  if (comma == std::wstring::npos || comma != 10) return DriverVersion();
  const std::wstring date = stored.substr(0, 10);
  unsigned long ymd[1] = {0};
  if (date[4] != L'-' || date[7] != L'-' || !ReadParts(date.substr(0, 4), ymd, 1) ||
      !ReadParts(date.substr(5, 2), ymd, 1) || !ReadParts(date.substr(8, 2), ymd, 1)) {
    return DriverVersion();
  }
  if (!ReadParts(stored.substr(comma + 1), version.parts, 4)) return DriverVersion();
  version.date = date;
  version.valid = true;
  return version;
}
