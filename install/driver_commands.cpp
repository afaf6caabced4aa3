#include "install/driver_commands.h"
int InstallDriver(std::wstring, std::wstring) { return 1; }
void PrintTestPage(std::wstring) {}
