// What a 32-bit program must decide differently on 64-bit Windows, without a Windows header (the
// host build tests it): which rundll32.exe reaches the system's native printer installer.
#pragma once

#include <string>

#include "win/machine_core.h"

enum class Wow64State { kNative, kWow64, kUnknown };

// The rundll32.exe that runs both printer commands, by its full path (a search would look in the
// program's own folder first). Normally "<systemDirectory>\rundll32.exe". A 32-bit program on
// 64-bit Windows (`underWow64`) is redirected from there to the 32-bit copy, whose printui.dll
// installs drivers for 32-bit Windows only, so the queue would get no driver for the system it runs
// on: there it is "<windowsDirectory>\Sysnative\rundll32.exe", the native one. Empty when the
// needed folder is unknown.
std::wstring Rundll32PathFor(bool underWow64, const std::wstring& systemDirectory,
                             const std::wstring& windowsDirectory);

struct Rundll32Launch {
  std::wstring path;        // empty when the needed folder is unknown
  bool withoutRedirection;  // start it with WOW64's file-system redirection off
};

// How to start the native rundll32.exe. Under WOW64 it is Sysnative's when that exists
// (`sysnativeFound`: "<windowsDirectory>\Sysnative\rundll32.exe" is there for this process);
// 64-bit Windows XP and Server 2003 without Microsoft's update have no Sysnative, and there it is
// "<systemDirectory>\rundll32.exe" started with the redirection off. A WOW64 query that failed
// counts as WOW64 when Sysnative is there: only WOW64 processes see that folder.
Rundll32Launch ChooseRundll32(Wow64State state, bool sysnativeFound, const std::wstring& systemDirectory,
                              const std::wstring& windowsDirectory);

// The machine of an IMAGE_FILE_MACHINE_ value (IsWow64Process2's native machine): 0x014c x86,
// 0x8664 x64, 0xAA64 ARM64; false for any other.
bool MachineFromImageFileMachine(unsigned short imageFileMachine, Machine& machine);
// The machine of a PROCESSOR_ARCHITECTURE_ value (GetNativeSystemInfo): 0 x86, 9 x64, 12 ARM64;
// false for any other.
bool MachineFromProcessorArchitecture(unsigned short architecture, Machine& machine);
