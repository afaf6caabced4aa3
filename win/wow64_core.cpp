#include "win/wow64_core.h"

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
