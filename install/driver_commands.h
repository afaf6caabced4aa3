// Placeholder until the driver commands land.
#pragma once
#include <string>
int InstallDriver(std::wstring printerName, std::wstring port);
void PrintTestPage(std::wstring printerName);
