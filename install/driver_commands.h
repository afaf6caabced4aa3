// The driver-install and test-page commands: the system's printer-installation entry point
// (PrintUIEntry of printui.dll) run through the system's own, native rundll32.exe
// (win::NativeRundll32), waited for to its end.
#pragma once

#include <windows.h>

#include <string>

#include "install/driver_commands_core.h"

// How a command run ended.
enum class CommandRun {
  kEnded,       // it ran to its end (its exit code is only written to the setup log)
  kNotStarted,  // it could not be started
  kTimedOut,    // it did not end within the time limit and was ended
};

// Runs the native rundll32.exe with `parameters` exactly as given and waits for it to end,
// handling the thread's messages meanwhile; `hidden` when nobody is there to see its window. With
// a time limit other than INFINITE, a command still running when it is up is ended: nobody may be
// there to answer what it asks, and a deployment must not wait for ever.
// The program is named by its full path: a search would look in the program's own folder first,
// where anything may lie beside the setup program.
CommandRun RunRundll32(const std::wstring& parameters, bool hidden, DWORD timeoutMs = INFINITE);

// What the driver install installs.
struct DriverInstall {
  std::wstring printerName;       // the base name after /b; the spooler picks the final name
  std::wstring packageDirectory;  // the folder of the package INF
  std::wstring packageName;       // the INF's name without ".inf" ("KQPRINTER")
  std::wstring port;              // "USB001", "LPT1:"
  std::wstring driverDesc;        // the driver's model name after /m
};

enum class DriverCommand {
  kRan,        // the command has run; whether it worked shows in the printer list
  kNotFormed,  // nothing was run: the quoted INF path would exceed 259 characters
  kNotStarted,
  kTimedOut,   // it did not end within the time limit and was ended
};

// Installs the driver and creates the printer queue. `unattended`: the entry point is asked to
// show no message of its own (/q), and its window is hidden; nobody would be there to answer.
DriverCommand InstallDriver(const DriverInstall& driver, bool unattended, DWORD timeoutMs = INFINITE);

// Installs (or replaces) the driver alone, from the package, as an update does for an existing
// queue; the same limits and the same quiet as InstallDriver.
DriverCommand InstallDriverOnly(const DriverInstall& driver, bool unattended, DWORD timeoutMs = INFINITE);

// Prints the test page of `printerName`; returns when the command has ended.
void PrintTestPage(const std::wstring& printerName);
