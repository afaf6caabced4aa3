// The driver-install and test-page commands: the system's printer-installation entry point
// (PrintUIEntry of printui.dll) run through the system's own rundll32.exe, waited for to its end.
#pragma once

#include <string>

#include "install/install_logic_core.h"

// How the system's native rundll32.exe is started: "<system directory>\rundll32.exe", or for this
// 32-bit program on 64-bit Windows "<Windows folder>\Sysnative\rundll32.exe", or where 64-bit
// Windows has no Sysnative the system directory's with the redirection off (see ChooseRundll32).
Rundll32Launch Rundll32Path();

// Runs Rundll32Path() with `parameters` exactly as given, shown normally, and waits for it to end,
// handling the thread's messages meanwhile.
// The program is named by its full path: a search would look in the program's own folder first,
// where anything may lie beside the setup program. False when it could not be started. Its exit
// code is only written to the setup log.
bool RunRundll32(const std::wstring& parameters);

// Installs the driver and creates the printer queue for the printer named by the settings
// (g_strPrinterName after /b, the package INF in the program folder, g_strDriverDesc after /m) on
// `port`. `printerName` is the name the caller expects the new printer to get; the command does
// not carry it. Unattended, the entry point is asked to show no message of its own (/q): nobody
// would be there to answer it. Returns 1 when the command has run (whether it worked shows in the
// printer list). Returns 0, without running anything, when the program folder is so long that the
// quoted INF path would exceed 259 characters: the caller treats that as a failed install.
int InstallDriver(std::wstring printerName, std::wstring port);

// Prints the test page of `printerName`; returns when the command has ended.
void PrintTestPage(std::wstring printerName);
