#include "package/inf_model_core.h"

#include <utility>

#include "win/format_core.h"

const wchar_t kInfUsbMarker[] = L"USBPRINT\\";
const wchar_t kInfLptMarker[] = L"LPTENUM\\";

namespace {

constexpr long long kNotFound = -1;

// Positions are signed: "not found" is -1, and a search from a negative start finds nothing.
long long Find(const std::wstring& text, const std::wstring& what, long long start) {
  if (start < 0 || static_cast<unsigned long long>(start) > text.size()) return kNotFound;
  const size_t at = text.find(what, static_cast<size_t>(start));
  return at == std::wstring::npos ? kNotFound : static_cast<long long>(at);
}

long long Find(const std::wstring& text, wchar_t what, long long start) {
  if (start < 0 || static_cast<unsigned long long>(start) >= text.size()) return kNotFound;
  const size_t at = text.find(what, static_cast<size_t>(start));
  return at == std::wstring::npos ? kNotFound : static_cast<long long>(at);
}

// A negative start counts as 0, a negative count gives nothing, a count past the end stops there.
std::wstring Mid(const std::wstring& text, long long start, long long count) {
  if (start < 0) start = 0;
  if (count <= 0 || static_cast<unsigned long long>(start) >= text.size()) return std::wstring();
  return text.substr(static_cast<size_t>(start), static_cast<size_t>(count));
}

}  // namespace

InfMarkerLine ExtractInfMarkerLine(const std::wstring& text, const std::wstring& marker) {
  // Positions only: an INF of many megabytes may be one long line, and every copy of it costs.
  InfMarkerLine line;
  const long long pos = Find(text, marker, 0);
  const long long eol = Find(text, L'\n', pos);
  // Without a line feed after the marker there is no complete line to take from.
  if (pos < 0 || eol < 0) return line;

  // The line holding the marker starts after the last line feed before it.
  const size_t lastFeed = eol == 0 ? std::wstring::npos : text.rfind(L'\n', static_cast<size_t>(eol - 1));
  const long long lineStart = lastFeed == std::wstring::npos ? kNotFound : static_cast<long long>(lastFeed);
  // Quotes count only up to the line's end.
  const auto quoteAfter = [&](long long from) {
    const long long at = Find(text, L'"', from);
    return at >= 0 && at < eol ? at : kNotFound;
  };
  const long long q1 = lineStart >= 0 ? quoteAfter(lineStart) : kNotFound;
  // A marker on the first line, or a line without a quote, would otherwise pick up text from
  // before the line; such a line has no description.
  if (q1 >= 0) {
    const long long q2 = quoteAfter(q1 + 1);
    line.description = Mid(text, q1 + 1, q2 - q1 - 1);
  }

  // The id runs to the line's end, white space (a carriage return among it) trimmed at both ends.
  size_t first = static_cast<size_t>(pos);
  size_t last = static_cast<size_t>(eol);
  while (first < last && IsWhiteSpace(text[first])) ++first;
  while (last > first && IsWhiteSpace(text[last - 1])) --last;
  line.id.assign(text, first, last - first);
  for (wchar_t& c : line.id) {
    if (c == L'\r') c = L' ';
  }
  return line;
}

InfModelInfo ParseInfModelText(const std::wstring& text) {
  InfModelInfo info;
  info.lptHardwareId = ExtractInfMarkerLine(text, kInfLptMarker).id;
  const InfMarkerLine usb = ExtractInfMarkerLine(text, kInfUsbMarker);
  info.usbHardwareId = usb.id;
  info.usbDescription = usb.description;
  return info;
}

// ---- The architectures the package serves.

namespace {

// One logical line of INF text at a time: comments cut off (from a semicolon outside double
// quotes), a trailing backslash joining the next line, both ends trimmed.
class CInfLineReader {
 public:
  explicit CInfLineReader(const std::wstring& text) : m_text(text) {}

  bool Next(std::wstring& line) {
    line.clear();
    if (m_pos >= m_text.size()) return false;
    // Trimmed in place: an INF of a million continued lines must not copy the growing line each time.
    for (;;) {
      AppendPhysicalLine(line);
      while (!line.empty() && IsWhiteSpace(line.back())) line.pop_back();
      if (line.empty() || line.back() != L'\\' || m_pos >= m_text.size()) break;
      line.pop_back();
    }
    size_t first = 0;
    while (first < line.size() && IsWhiteSpace(line[first])) ++first;
    line.erase(0, first);
    return true;
  }

 private:
  // Appends the next physical line without its comment; moves past its line feed.
  void AppendPhysicalLine(std::wstring& line) {
    size_t end = m_text.find(L'\n', m_pos);
    if (end == std::wstring::npos) end = m_text.size();
    bool quoted = false;
    size_t stop = end;
    for (size_t i = m_pos; i < end; ++i) {
      const wchar_t c = m_text[i];
      if (c == L'"') quoted = !quoted;
      if (c == L';' && !quoted) {
        stop = i;
        break;
      }
    }
    line.append(m_text, m_pos, stop - m_pos);
    m_pos = end + 1;
  }

  const std::wstring& m_text;
  size_t m_pos = 0;
};

// The name of a section header line "[name]", or false when the line is no header.
// Taken by positions: an INF may hold millions of sections.
bool SectionHeader(const std::wstring& line, std::wstring& name) {
  if (line.empty() || line[0] != L'[') return false;
  size_t first = 1;
  size_t last = line.find(L']', 1);
  if (last == std::wstring::npos) last = line.size();
  while (first < last && IsWhiteSpace(line[first])) ++first;
  while (last > first && IsWhiteSpace(line[last - 1])) --last;
  if (last - first >= 2 && line[first] == L'"' && line[last - 1] == L'"') {
    ++first;
    --last;
  }
  name.assign(line, first, last - first);
  return true;
}

void ToUpperAsciiInPlace(std::wstring& text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
}

// A field as the INF means it: blanks around it dropped, double quotes removed ("" inside quotes
// stands for one quote).
std::wstring Unquote(const std::wstring& field) {
  const std::wstring trimmed = TrimWhiteSpace(field);
  std::wstring out;
  bool quoted = false;
  for (size_t i = 0; i < trimmed.size(); ++i) {
    const wchar_t c = trimmed[i];
    if (c != L'"') {
      out.push_back(c);
    } else if (quoted && i + 1 < trimmed.size() && trimmed[i + 1] == L'"') {
      out.push_back(L'"');
      ++i;
    } else {
      quoted = !quoted;
    }
  }
  return out;
}

// Splits what follows `from` at `separator` outside double quotes, into at most `maxParts` parts.
std::vector<std::wstring> SplitOutsideQuotes(const std::wstring& text, wchar_t separator, size_t maxParts,
                                             size_t from = 0) {
  std::vector<std::wstring> parts;
  bool quoted = false;
  size_t start = from;
  for (size_t i = from; i <= text.size() && parts.size() < maxParts; ++i) {
    if (i == text.size() || (text[i] == separator && !quoted)) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    } else if (text[i] == L'"') {
      quoted = !quoted;
    }
  }
  return parts;
}

size_t FindOutsideQuotes(const std::wstring& text, wchar_t what) {
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'"') quoted = !quoted;
    if (text[i] == what && !quoted) return i;
  }
  return std::wstring::npos;
}

bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsAsciiLetterOrDigit(wchar_t c) { return IsAsciiDigit(c) || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// A decimal number, or with "0x" a hexadecimal one (the product type and suite mask are often
// written so). False for anything else, and for a number beyond 32 bits.
bool ParseNumber(const std::wstring& field, unsigned long& value) {
  unsigned long long result = 0;
  size_t i = 0;
  unsigned base = 10;
  if (field.size() > 2 && field[0] == L'0' && (field[1] == L'x' || field[1] == L'X')) {
    base = 16;
    i = 2;
  }
  if (i >= field.size()) return false;
  for (; i < field.size(); ++i) {
    const wchar_t c = field[i];
    unsigned digit;
    if (IsAsciiDigit(c)) digit = static_cast<unsigned>(c - L'0');
    else if (base == 16 && c >= L'a' && c <= L'f') digit = static_cast<unsigned>(c - L'a' + 10);
    else if (base == 16 && c >= L'A' && c <= L'F') digit = static_cast<unsigned>(c - L'A' + 10);
    else return false;
    result = result * base + digit;
    if (result > 0xFFFFFFFFull) return false;
  }
  value = static_cast<unsigned long>(result);
  return true;
}

InfTargetDecoration ParseDecoration(const std::wstring& text) {
  InfTargetDecoration decoration;
  decoration.text = text;
  if (text.size() < 2 || ToUpperAscii(text.substr(0, 2)) != L"NT") return decoration;
  size_t pos = 2;
  while (pos < text.size() && text[pos] != L'.') {
    if (!IsAsciiLetterOrDigit(text[pos])) return decoration;
    ++pos;
  }
  decoration.architecture = ToLowerAscii(text.substr(2, pos - 2));
  if (pos < text.size()) {
    // Major, minor, product type, suite mask, build number; any of them may be left empty.
    const std::vector<std::wstring> fields = SplitOutsideQuotes(text.substr(pos + 1), L'.', 6);
    if (fields.size() > 5) return decoration;
    unsigned long numbers[5] = {};
    for (size_t i = 0; i < fields.size(); ++i) {
      if (!fields[i].empty() && !ParseNumber(fields[i], numbers[i])) return decoration;
    }
    // A minor version or build number without a major one says nothing.
    decoration.hasVersion = !fields.empty() && !fields[0].empty();
    if (decoration.hasVersion) {
      decoration.major = numbers[0];
      decoration.minor = numbers[1];
      decoration.build = numbers[4];
    }
  }
  decoration.understood = true;
  return decoration;
}

// One line of a [Manufacturer] section: "name = models-section[, decoration]..." or, without an
// equals sign, a manufacturer name that is also its models section's name.
bool ParseManufacturerLine(const std::wstring& line, InfManufacturerEntry& entry, bool& cut) {
  const size_t equals = FindOutsideQuotes(line, L'=');
  std::vector<std::wstring> fields = SplitOutsideQuotes(line, L',', kMaxInfDecorationsPerEntry + 2,
                                                        equals == std::wstring::npos ? 0 : equals + 1);
  if (fields.size() > kMaxInfDecorationsPerEntry + 1) {
    fields.resize(kMaxInfDecorationsPerEntry + 1);
    cut = true;
  }
  entry.modelsSection = fields.empty() ? std::wstring() : Unquote(fields[0]);
  if (entry.modelsSection.empty()) return false;
  for (size_t i = 1; i < fields.size(); ++i) {
    const std::wstring text = Unquote(fields[i]);
    if (!text.empty()) entry.decorations.push_back(ParseDecoration(text));
  }
  return true;
}

std::wstring DecoratedName(const InfManufacturerEntry& entry, const InfTargetDecoration& decoration) {
  return entry.modelsSection + L"." + decoration.text;
}

bool ServesMachine(const InfTargetDecoration& decoration, Machine machine) {
  if (!decoration.understood) return false;
  if (decoration.architecture.empty()) return machine == Machine::kX86;
  return decoration.architecture == InfArchitectureOf(machine);
}

bool ServesVersion(const InfTargetDecoration& decoration, const WindowsVersion& version) {
  if (!decoration.hasVersion) return true;
  if (decoration.major != version.major) return decoration.major < version.major;
  if (decoration.minor != version.minor) return decoration.minor < version.minor;
  return decoration.build == 0 || version.build == 0 || decoration.build <= version.build;
}

// Decorations came with Windows XP (5.1); Windows 2000 reads the undecorated section only.
bool KnowsDecorations(const WindowsVersion& version) {
  return version.major > 5 || (version.major == 5 && version.minor >= 1);
}

// True when `a` is closer to the system than `b`: a higher version, or at the same version an
// architecture named where `b` has "NT" alone.
bool Closer(const InfTargetDecoration& a, const InfTargetDecoration& b) {
  const unsigned long va[3] = {a.major, a.minor, a.build};
  const unsigned long vb[3] = {b.major, b.minor, b.build};
  for (int i = 0; i < 3; ++i) {
    if (va[i] != vb[i]) return va[i] > vb[i];
  }
  return !a.architecture.empty() && b.architecture.empty();
}

}  // namespace

InfPackageModels ReadInfPackageModels(const std::wstring& text) {
  InfPackageModels package;
  std::wstring line, section;
  bool inManufacturer = false;
  {
    CInfLineReader reader(text);
    while (reader.Next(line)) {
      if (SectionHeader(line, section)) {
        inManufacturer = EqualsIgnoreAsciiCase(section, L"Manufacturer");
        package.hasManufacturerSection = package.hasManufacturerSection || inManufacturer;
        continue;
      }
      if (!inManufacturer || line.empty()) continue;
      if (package.entries.size() >= kMaxInfManufacturerEntries) {
        package.entriesCut = true;
        continue;
      }
      InfManufacturerEntry entry;
      if (ParseManufacturerLine(line, entry, package.entriesCut)) package.entries.push_back(std::move(entry));
    }
  }

  // The second pass looks only for the sections the entries can lead to, so that an INF of
  // millions of sections costs no memory.
  std::set<std::wstring> wanted;
  for (const InfManufacturerEntry& entry : package.entries) {
    wanted.insert(ToUpperAscii(entry.modelsSection));
    for (const InfTargetDecoration& decoration : entry.decorations) {
      wanted.insert(ToUpperAscii(DecoratedName(entry, decoration)));
    }
  }
  if (wanted.empty()) return package;
  CInfLineReader reader(text);
  bool inWanted = false;
  while (reader.Next(line)) {
    if (SectionHeader(line, section)) {
      ToUpperAsciiInPlace(section);
      inWanted = wanted.count(section) != 0;
      continue;
    }
    if (inWanted && !line.empty()) package.filledModelsSections.insert(section);
  }
  return package;
}

const wchar_t* InfArchitectureOf(Machine machine) {
  switch (machine) {
    case Machine::kX86: return L"x86";
    case Machine::kX64: return L"amd64";
    case Machine::kArm64: return L"arm64";
  }
  return L"";
}

InfModelsChoice ChooseInfModels(const InfPackageModels& package, Machine machine, const WindowsVersion& version) {
  InfModelsChoice choice;
  if (!package.hasManufacturerSection) {
    choice.verdict = InfModelsVerdict::kNoManufacturerSection;
    return choice;
  }
  for (const InfManufacturerEntry& entry : package.entries) {
    const InfTargetDecoration* best = nullptr;
    for (const InfTargetDecoration& decoration : entry.decorations) {
      if (!KnowsDecorations(version)) break;
      if (!ServesMachine(decoration, machine) || !ServesVersion(decoration, version)) continue;
      if (best == nullptr || Closer(decoration, *best)) best = &decoration;
    }
    std::wstring section;
    if (best != nullptr) section = DecoratedName(entry, *best);
    else if (machine == Machine::kX86) section = entry.modelsSection;
    else continue;
    if (package.filledModelsSections.count(ToUpperAscii(section)) != 0) {
      choice.verdict = InfModelsVerdict::kServed;
      choice.section = section;
      return choice;
    }
  }
  return choice;
}

std::wstring DescribeInfDecorations(const InfPackageModels& package) {
  if (!package.hasManufacturerSection) return L"no [Manufacturer] section";
  if (package.entries.empty()) return L"[Manufacturer] names no models section";
  std::wstring text;
  for (const InfManufacturerEntry& entry : package.entries) {
    if (!text.empty()) text += L"; ";
    text += entry.modelsSection + L": ";
    if (entry.decorations.empty()) text += L"undecorated";
    for (size_t i = 0; i < entry.decorations.size(); ++i) {
      if (i > 0) text += L", ";
      text += entry.decorations[i].text;
      if (!entry.decorations[i].understood) text += L" (not understood)";
    }
  }
  if (package.entriesCut) text += L" (more not read)";
  return text;
}
