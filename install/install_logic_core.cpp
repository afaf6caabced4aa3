#include "install/install_logic_core.h"

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

std::wstring MakeDefaultPrinterEntry(const std::wstring& portType, const std::wstring& name,
                                     const std::wstring& port) {
  if (portType == L"LPT") return name + L",winspool,LPT1:";
  if (portType == L"USB") return name + L",winspool," + port;
  return std::wstring();
}

namespace {
std::wstring Quoted(const std::wstring& value) { return L"\"" + value + L"\""; }
}  // namespace

bool BuildDriverInstallParameters(const std::wstring& printerName, const std::wstring& programDir,
                                  const std::wstring& packageName, const std::wstring& port,
                                  const std::wstring& driverDesc, std::wstring& out) {
  out.clear();
  const std::wstring infPath = Quoted(programDir + L"\\" + packageName + L".inf");
  if (infPath.size() > kMaxQuotedInfPath) return false;
  out = L" printui.dll,PrintUIEntry /z /if /b " + Quoted(printerName) + L" /f " + infPath + L" /r " + Quoted(port) +
        L" /m " + Quoted(driverDesc);
  return true;
}

std::wstring BuildTestPageParameters(const std::wstring& printerName) {
  return L" printui.dll,PrintUIEntry /k /n " + Quoted(printerName);
}

std::wstring Rundll32PathFor(bool underWow64, const std::wstring& systemDirectory,
                             const std::wstring& windowsDirectory) {
  std::wstring folder = underWow64 ? windowsDirectory : systemDirectory;
  if (folder.empty()) return std::wstring();
  if (folder.back() != L'\\') folder += L'\\';
  if (underWow64) folder += L"Sysnative\\";
  return folder + L"rundll32.exe";
}

Rundll32Launch ChooseRundll32(Wow64State state, bool sysnativeFound, const std::wstring& systemDirectory,
                              const std::wstring& windowsDirectory) {
  const bool wow64 = state == Wow64State::kWow64 || (state == Wow64State::kUnknown && sysnativeFound);
  if (!wow64) return {Rundll32PathFor(false, systemDirectory, windowsDirectory), false};
  if (sysnativeFound) return {Rundll32PathFor(true, systemDirectory, windowsDirectory), false};
  return {Rundll32PathFor(false, systemDirectory, windowsDirectory), true};
}
