// The log of the printui.dll stand-in (wine/printui), one call per line, as the tests read it, and
// what the tests expect of the world they run in.
#pragma once

#include <string>
#include <vector>

namespace kqtest {

struct PrintUiCall {
  std::wstring architecture;  // "x64", "x86" or "x86 WOW64": which stand-in served the call
  std::wstring invokedAs;     // the program as the process was started
  std::wstring host;          // the host program's module path
  std::wstring outcome;
  std::wstring command;       // the command line PrintUIEntryW received
};

std::vector<PrintUiCall> ReadPrintUiLog(const std::wstring& path);

// True when this (32-bit) test program runs on 64-bit Windows, as the wizard then does.
bool TestRunsUnderWow64();
// The rundll32.exe the wizard must start in this world: the native one, that is
// "<Windows>\Sysnative\rundll32.exe" under WOW64 and "<system directory>\rundll32.exe" otherwise.
std::wstring NativeRundll32();
// The architecture of the stand-in that the native rundll32.exe loads: "x64" under WOW64, else "x86".
std::wstring NativeArchitecture();

}  // namespace kqtest
