#include "install/printer_list.h"
void EnumPrinterNames(std::vector<std::wstring>&, HWND) {}
std::wstring MakeUniquePrinterName(const std::wstring& base, const std::vector<std::wstring>&) { return base; }
