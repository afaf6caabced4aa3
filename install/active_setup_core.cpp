#include "install/active_setup_core.h"

#include <vector>

#include "win/format_core.h"

namespace {

// The comma-separated parts as numbers; false when a part is no number.
bool ParseVersion(const std::wstring& text, std::vector<unsigned long>& parts) {
  parts.clear();
  unsigned long value = 0;
  bool digits = false;
  for (size_t i = 0; i <= text.size(); ++i) {
    const wchar_t c = i < text.size() ? text[i] : L',';
    if (c >= L'0' && c <= L'9') {
      if (value > 99999999UL) return false;  // no version part is that long
      value = value * 10 + static_cast<unsigned long>(c - L'0');
      digits = true;
    } else if (c == L',' && digits) {
      parts.push_back(value);
      value = 0;
      digits = false;
    } else {
      return false;
    }
  }
  return !parts.empty() && parts.size() <= 4;
}

}  // namespace

std::wstring NextActiveSetupVersion(const std::wstring& current) {
  std::vector<unsigned long> parts;
  if (!ParseVersion(current, parts)) return L"1,0,0,1";
  while (parts.size() < 4) parts.push_back(0);
  parts[3] += 1;
  return FormatString(L"%d,%d,%d,%d", parts[0], parts[1], parts[2], parts[3]);
}

std::wstring DefaultPrinterStubPath(const std::wstring& nativeSystemDirectory, const std::wstring& printerName) {
  std::wstring folder = nativeSystemDirectory;
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return L"\"" + folder + L"rundll32.exe\" printui.dll,PrintUIEntry /y /n \"" + printerName + L"\" /q";
}
