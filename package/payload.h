// Placeholder until the payload extraction lands.
#pragma once
#include <string>
bool ExtractHelperService(const std::wstring& fileName);
std::wstring GetHelperServicePath(const std::wstring& fileName);
