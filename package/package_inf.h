// Placeholder until the INF reader lands.
#pragma once
#include <string>
#include "shell/setup_settings.h"
std::wstring GetProgramDirectory();
std::wstring PackageInfFileName();
bool LoadPackageInfInto(CSetupSettings& settings, const std::wstring& programDirectory);
