// Where the helper service program is written: the "Services" folder below the common
// program-files folder.
#pragma once

#include <string>

// base + "\" (unless base already ends with one) + "Services", without a trailing backslash.
std::wstring ServicesFolderUnder(const std::wstring& base);
