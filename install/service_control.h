// Placeholder until the service control lands.
#pragma once
#include <string>
void RunHelperServiceOnce(const std::wstring& serviceName, const std::wstring& binaryPath);
