#include "device/printer_name_core.h"

#include "win/format_core.h"

namespace {

bool IsControlCharacter(wchar_t c) {
  const unsigned long code = static_cast<unsigned long>(c);
  return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

bool IsRefused(wchar_t c) { return c == L'"' || c == L'\\' || c == L',' || IsControlCharacter(c); }

}  // namespace

std::wstring CleanPrinterName(const std::wstring& candidate) {
  std::wstring kept;
  kept.reserve(candidate.size());
  for (wchar_t c : candidate) {
    if (!IsRefused(c)) kept.push_back(c);
  }
  return TrimWhiteSpace(kept);
}

bool AssignCleanPrinterName(std::wstring& target, const std::wstring& candidate) {
  std::wstring cleaned = CleanPrinterName(candidate);
  if (cleaned.empty()) return false;
  target.swap(cleaned);
  return true;
}
