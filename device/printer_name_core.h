// Placeholder until the device records land.
#pragma once
#include <string>
std::wstring CleanPrinterName(const std::wstring& text);
bool AssignCleanPrinterName(std::wstring& target, const std::wstring& candidate);
