#include "core/install_decisions_core.h"

#include <set>

std::wstring FindNewPrinter(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after,
                            const std::wstring& baseName) {
  const std::set<std::wstring> old(before.begin(), before.end());
  for (auto it = after.rbegin(); it != after.rend(); ++it) {
    if (old.count(*it) != 0) continue;
    if (it->find(baseName) == std::wstring::npos) continue;
    return *it;
  }
  return std::wstring();
}

std::wstring MakeDefaultPrinterEntry(Connection connection, const std::wstring& name, const std::wstring& port) {
  return name + L",winspool," + (connection == Connection::kLpt ? std::wstring(L"LPT1:") : port);
}
