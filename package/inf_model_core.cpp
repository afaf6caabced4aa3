#include "package/inf_model_core.h"

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
