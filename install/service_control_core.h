// Text rules shared by the wizard's service control and the helper's own install switch.
#pragma once

#include <string>

// The executable path as the service control manager must be given it: in double quotes, so that
// a path with blanks ("C:\Program Files\...") cannot be read as "C:\Program.exe" followed by
// arguments. A path already in quotes is kept as it is.
std::wstring QuoteServicePath(const std::wstring& path);

// Whether the executable path a service is registered with (quoted or not) names `ours`: compared
// without regard to the case of A to Z, and nothing may follow the executable (no arguments).
bool IsSameServicePath(const std::wstring& registered, const std::wstring& ours);
