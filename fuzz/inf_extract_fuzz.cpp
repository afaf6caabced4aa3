// Runs the INF model-line extraction and the [Manufacturer] reader on arbitrary text and checks the
// shape of what they return.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "package/inf_model_core.h"
#include "win/format_core.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsWhite(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f'; }

void CheckLine(const std::wstring& text, const std::wstring& marker, const InfMarkerLine& line) {
  if (!line.id.empty()) {
    bool markerHasWhite = false;
    for (wchar_t c : marker) markerHasWhite = markerHasWhite || IsWhite(c);
    if (!markerHasWhite) Check(line.id.compare(0, marker.size(), marker) == 0);
    Check(!IsWhite(line.id.front()) && !IsWhite(line.id.back()));
    Check(line.id.find_first_of(L"\r\n") == std::wstring::npos);
    Check(line.id.size() <= text.size());
  }
  Check(line.description.find(L'"') == std::wstring::npos);
  Check(line.description.find(L'\n') == std::wstring::npos);
  if (!line.description.empty()) Check(text.find(L'"' + line.description + L'"') != std::wstring::npos);
  if (text.find(marker) == std::wstring::npos) Check(line.id.empty() && line.description.empty());
}

// The reader's limits hold, and a models section chosen for any machine is one the INF fills and
// one an entry leads to.
void CheckPackageModels(const std::wstring& text) {
  const InfPackageModels package = ReadInfPackageModels(text);
  Check(package.entries.size() <= kMaxInfManufacturerEntries);
  Check(package.hasManufacturerSection || package.entries.empty());
  for (const InfManufacturerEntry& entry : package.entries) {
    Check(!entry.modelsSection.empty());
    Check(entry.decorations.size() <= kMaxInfDecorationsPerEntry);
    for (const InfTargetDecoration& decoration : entry.decorations) {
      Check(!decoration.text.empty());
      Check(decoration.understood || !decoration.hasVersion);
    }
  }
  Check(!DescribeInfDecorations(package).empty());
  const WindowsVersion versions[] = {{5, 0, 2195}, {6, 1, 7601}, {10, 0, 0}, {10, 0, 26100}};
  for (Machine machine : {Machine::kX86, Machine::kX64, Machine::kArm64}) {
    for (const WindowsVersion& version : versions) {
      const InfModelsChoice choice = ChooseInfModels(package, machine, version);
      if (choice.verdict != InfModelsVerdict::kServed) {
        Check(choice.section.empty());
        continue;
      }
      Check(package.filledModelsSections.count(ToUpperAscii(choice.section)) == 1);
      bool named = false;
      for (const InfManufacturerEntry& entry : package.entries) {
        named = named || ToUpperAscii(choice.section).compare(0, entry.modelsSection.size(),
                                                               ToUpperAscii(entry.modelsSection)) == 0;
      }
      Check(named);
    }
  }
}

}  // namespace

// The first byte gives the length of a custom marker taken from the following bytes; the rest is
// the text, one character per byte (bytes above 0x7F map to CJK characters, as in real INFs).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t markerLength = data[0] % 12;
  if (size - 1 < markerLength) return 0;
  auto widen = [](uint8_t b) { return b < 0x80 ? static_cast<wchar_t>(b) : static_cast<wchar_t>(0x4E00 + b); };
  std::wstring marker;
  for (size_t i = 0; i < markerLength; ++i) marker.push_back(widen(data[1 + i]));
  std::wstring text;
  for (size_t i = 1 + markerLength; i < size; ++i) text.push_back(widen(data[i]));

  CheckLine(text, kInfUsbMarker, ExtractInfMarkerLine(text, kInfUsbMarker));
  CheckLine(text, kInfLptMarker, ExtractInfMarkerLine(text, kInfLptMarker));
  CheckLine(text, marker, ExtractInfMarkerLine(text, marker));

  const InfModelInfo info = ParseInfModelText(text);
  Check(info.usbHardwareId == ExtractInfMarkerLine(text, kInfUsbMarker).id);
  Check(info.lptHardwareId == ExtractInfMarkerLine(text, kInfLptMarker).id);

  CheckPackageModels(text);
  return 0;
}
