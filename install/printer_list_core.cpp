#include "install/printer_list_core.h"

#include <set>

#include "win/format_core.h"

std::wstring MakeUniqueName(const std::wstring& base, const std::vector<std::wstring>& existing,
                            const std::wstring& suffixFormat) {
  // Restarting the scan after each change amounts to taking the first name of the sequence
  // base, base+suffix(1), base+suffix(2), ... that no existing name equals.
  std::set<std::wstring> taken;
  for (const std::wstring& name : existing) taken.insert(ToUpperAscii(name));

  std::wstring candidate = base;
  // At most existing.size() candidates can be taken, so this many tries always find a free one
  // when the suffix carries the counter; a suffix without it cannot loop forever either.
  for (size_t counter = 1; counter <= existing.size() + 1; ++counter) {
    if (taken.find(ToUpperAscii(candidate)) == taken.end()) return candidate;
    candidate = base + FormatString(suffixFormat, static_cast<long long>(counter));
  }
  return candidate;
}
