// Everything this 32-bit program does differently when it runs on 64-bit Windows (WOW64): the
// question itself, the file-system redirection, and the native rundll32.exe that the printer
// commands must reach. Each system function here came after Windows NT 4.0 and is looked up at run
// time (win/system_library.h), with a way on where the system lacks it.
#pragma once

#include <windows.h>

#include "win/wow64_core.h"

namespace win {

enum class Wow64Answer { kNo, kYes, kUnknown };
// IsWow64Process (Windows XP SP2 and later): kYes when this 32-bit process runs on 64-bit Windows;
// kNo on a system without WOW64; kUnknown when the system has IsWow64Process but the query failed
// (the caller then looks for other signs of WOW64).
Wow64Answer QueryWow64();
// The same, with a failed query counted as no.
bool IsRunningUnderWow64();

// The machine Windows runs on, and how that was found, for the log. IsWow64Process2 (Windows 10
// 1511 and later) names it, ARM64 included; before it, a WOW64 process asks GetNativeSystemInfo
// (which on Windows 11 on ARM reports x64 to an emulated x86 program), and a process outside WOW64
// runs on a 32-bit x86 Windows.
struct NativeMachine {
  Machine machine = Machine::kX86;
  const wchar_t* how = L"";
};
NativeMachine QueryNativeMachine();

// Turns off the file-system redirection of this thread under WOW64 for as long as it lives
// (Wow64DisableWow64FsRedirection, 64-bit XP and later); nothing where the system lacks it.
class ScopedNoWow64Redirection {
 public:
  ScopedNoWow64Redirection();
  ~ScopedNoWow64Redirection();
  ScopedNoWow64Redirection(const ScopedNoWow64Redirection&) = delete;
  ScopedNoWow64Redirection& operator=(const ScopedNoWow64Redirection&) = delete;
  bool IsOff() const { return m_bOff; }

 private:
  void* m_pOldValue = nullptr;
  bool m_bOff = false;
};

// How the system's native rundll32.exe is started on this system: "<system directory>\rundll32.exe",
// or for this 32-bit program on 64-bit Windows "<Windows folder>\Sysnative\rundll32.exe", or where
// 64-bit Windows has no Sysnative the system directory's with the redirection off (ChooseRundll32).
Rundll32Launch NativeRundll32();

}  // namespace win
