#include "device/printer_name_core.h"
std::wstring CleanPrinterName(const std::wstring& text) { return text; }
bool AssignCleanPrinterName(std::wstring& target, const std::wstring& candidate) {
  if (candidate.empty()) return false;
  target = candidate;
  return true;
}
