// The spooler's list of printer names and the name a new printer will get.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Appends the name of every local and connected printer, in the spooler's order, to `list`; it
// never removes entries. On failure it shows message 491 with the error code (owned by `owner`),
// leaves the list as it was and returns false: an empty list from a spooler that did not answer
// is no list of printers.
bool EnumPrinterNames(std::vector<std::wstring>& list, HWND owner);

// Empties `list` first, then fills it as EnumPrinterNames does. The install sequence lists the
// printers before and after the driver install; names left from an earlier run would make the
// comparison find a printer the second run never created.
bool RefillPrinterNames(std::vector<std::wstring>& list, HWND owner);

// `base`, or `base` followed by the copy suffix (string 504, " (副本 %d)") with the first counter
// from 1 up that gives a name no entry of `existing` has, ignoring the case of A to Z only.
std::wstring MakeUniquePrinterName(const std::wstring& base, const std::vector<std::wstring>& existing);
