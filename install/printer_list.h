// Placeholder until the printer list lands.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
void EnumPrinterNames(std::vector<std::wstring>& list, HWND owner);
std::wstring MakeUniquePrinterName(const std::wstring& base, const std::vector<std::wstring>& existing);
