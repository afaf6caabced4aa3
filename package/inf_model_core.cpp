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
  InfMarkerLine line;
  const long long pos = Find(text, marker, 0);
  const long long eol = Find(text, L'\n', pos);
  // Without a line feed after the marker there is no complete line to take from.
  if (pos < 0 || eol < 0) return line;

  const std::wstring head = text.substr(0, static_cast<size_t>(eol));
  const size_t lastFeed = head.rfind(L'\n');
  const long long lineStart = lastFeed == std::wstring::npos ? kNotFound : static_cast<long long>(lastFeed);
  const long long q1 = Find(head, L'"', lineStart);
  // A marker on the first line, or a line without a quote, would otherwise pick up text from
  // before the line; such a line has no description.
  if (lineStart >= 0 && q1 >= 0) {
    const long long q2 = Find(head, L'"', q1 + 1);
    line.description = Mid(head, q1 + 1, q2 - q1 - 1);
  }

  std::wstring id = Mid(text, pos, eol - pos);
  for (wchar_t& c : id) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  line.id = TrimWhiteSpace(id);
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
