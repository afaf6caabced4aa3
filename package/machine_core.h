// The processor architecture of a Windows machine, as the driver package and the WOW64 decisions
// need it: a driver package serves one architecture per models section, and the system's own
// installer installs only a driver for the machine it runs on. No Windows header.
#pragma once

enum class Machine { kX86, kX64, kArm64 };

// How the setup log names the machine: "x86", "x64", "ARM64".
inline const wchar_t* MachineName(Machine machine) {
  switch (machine) {
    case Machine::kX86: return L"x86";
    case Machine::kX64: return L"x64";
    case Machine::kArm64: return L"ARM64";
  }
  return L"unknown";
}
