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

bool MachineFromImageFileMachine(unsigned short imageFileMachine, Machine& machine) {
  switch (imageFileMachine) {
    case 0x014c: machine = Machine::kX86; return true;
    case 0x8664: machine = Machine::kX64; return true;
    case 0xAA64: machine = Machine::kArm64; return true;
    default: return false;
  }
}

bool MachineFromProcessorArchitecture(unsigned short architecture, Machine& machine) {
  switch (architecture) {
    case 0: machine = Machine::kX86; return true;
    case 9: machine = Machine::kX64; return true;
    case 12: machine = Machine::kArm64; return true;
    default: return false;
  }
}
