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

// The spooler's name for the drivers of that machine ("Windows NT x86", "Windows x64",
// "Windows ARM64"): a 32-bit program on 64-bit Windows must name the native one, or it reaches the
// drivers for 32-bit Windows.
inline const wchar_t* PrinterEnvironmentOf(Machine machine) {
  switch (machine) {
    case Machine::kX86: return L"Windows NT x86";
    case Machine::kX64: return L"Windows x64";
    case Machine::kArm64: return L"Windows ARM64";
  }
  return L"Windows NT x86";
}
