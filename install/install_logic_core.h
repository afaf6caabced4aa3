// Placeholder until the install logic lands.
#pragma once
#include <string>
#include <vector>
std::wstring FindNewPrinter(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after, const std::wstring& baseName);
std::wstring MakeDefaultPrinterEntry(const std::wstring& portType, const std::wstring& name, const std::wstring& port);
