#include "install/printer_settings.h"
void ApplyPrinterDefaultSettings(const std::wstring&, HWND) {}
