// The driver-install and test-page commands: the system's printer-installation entry point
// (PrintUIEntry of printui.dll) run through the system's own, native rundll32.exe
// (win::NativeRundll32), waited for to its end.
#pragma once

#include <string>

#include "install/driver_commands_core.h"

// Runs the native rundll32.exe with `parameters` exactly as given and waits for it to end,
// handling the thread's messages meanwhile; `hidden` when nobody is there to see its window.
// The program is named by its full path: a search would look in the program's own folder first,
// where anything may lie beside the setup program. False when it could not be started. Its exit
// code is only written to the setup log.
bool RunRundll32(const std::wstring& parameters, bool hidden);

// What the driver install installs.
struct DriverInstall {
  std::wstring printerName;       // the base name after /b; the spooler picks the final name
  std::wstring packageDirectory;  // the folder of the package INF
  std::wstring packageName;       // the INF's name without ".inf" ("KQPRINTER")
  std::wstring port;              // "USB001", "LPT1:"
  std::wstring driverDesc;        // the driver's model name after /m
};

// Installs the driver and creates the printer queue. `unattended`: the entry point is asked to
// show no message of its own (/q), and its window is hidden; nobody would be there to answer.
// Returns 1 when the command has run (whether it worked shows in the printer list). Returns 0,
// without running anything, when the package folder is so long that the quoted INF path would
// exceed 259 characters: the caller treats that as a failed install.
int InstallDriver(const DriverInstall& driver, bool unattended);

// Prints the test page of `printerName`; returns when the command has ended.
void PrintTestPage(const std::wstring& printerName);
