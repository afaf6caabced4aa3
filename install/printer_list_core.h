// The spooler's naming rule for a new printer, without a Windows header (the host build tests it).
#pragma once

#include <string>
#include <vector>

// The name under which the spooler will show a new printer whose requested name is `base`: `base`
// itself when no existing name equals it, otherwise `base` followed by `suffixFormat` (a text with
// one "%d", e.g. " (副本 %d)") formatted with 1, 2, ... until no existing name equals it.
// Names are compared ignoring the case of the Latin letters A to Z only. The suffix always goes
// on the base name, never on an earlier candidate.
std::wstring MakeUniqueName(const std::wstring& base, const std::vector<std::wstring>& existing,
                            const std::wstring& suffixFormat);
