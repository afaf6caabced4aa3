// Printer names come from outside the program (a device's reply, registry records, the INF, the
// user's typing) and end up quoted inside a command line that runs with administrator rights, so
// every text that becomes the printer name passes through here first.
#pragma once

#include <string>

// Removes double quotes, control characters and the characters a Windows printer name cannot
// hold ("\" and ","), then trims white space at both ends.
std::wstring CleanPrinterName(const std::wstring& candidate);

// Cleans `candidate` into `target`. When nothing usable is left, `target` keeps its previous text
// and the result is false.
bool AssignCleanPrinterName(std::wstring& target, const std::wstring& candidate);
