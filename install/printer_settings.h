// Placeholder until the printer settings land.
#pragma once
#include <windows.h>
#include <string>
void ApplyPrinterDefaultSettings(const std::wstring& printerName, HWND owner);
