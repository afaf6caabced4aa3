#include "install/install_logic_core.h"
std::wstring FindNewPrinter(const std::vector<std::wstring>&, const std::vector<std::wstring>&, const std::wstring&) { return std::wstring(); }
std::wstring MakeDefaultPrinterEntry(const std::wstring&, const std::wstring& name, const std::wstring&) { return name; }
