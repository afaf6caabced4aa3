// The install sequence's pure decisions: which printer the driver install created, and the
// default-printer entry. No Windows header, so the host build tests them.
#pragma once

#include <string>
#include <vector>

#include "core/setup_settings.h"

// The printer the driver install created: walking `after` from its last entry to its first, the
// first entry that equals no entry of `before` (exact, case-sensitive) and contains `baseName`
// (case-sensitive). Empty when there is none (a spooler never reports an empty printer name).
std::wstring FindNewPrinter(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after,
                            const std::wstring& baseName);

// The "windows"/"device" profile entry that makes `name` the default printer:
// "<name>,winspool,LPT1:" on the parallel port, "<name>,winspool,<port>" on USB.
std::wstring MakeDefaultPrinterEntry(Connection connection, const std::wstring& name, const std::wstring& port);
