// Every outcome of the install sequence, named once: the install page's messages, the program's
// exit code and the setup log all read it. The values are the wizard's result codes; never change
// one, add new outcomes at the end.
#pragma once

enum class InstallResult : int {
  kSuccess = 0,
  kReconnectUsb = 1,          // no step yields it
  kDriverMismatch = 2,        // no step yields it
  kNoUsbPrinter = 3,          // a USB install, and no USB printer of the series is attached
  kPowerCyclePrinter = 4,     // no step yields it; clears the model-query count
  kReconnectCable = 10,       // no step yields it
  kReconnectUsbCable = 11,    // no step yields it
  kNoResourceFile = 20,       // no step yields it
  kUnknownError = 30,         // the driver install created no printer, or could not be checked
  kAddDriverFailed = 60,      // no step yields it
  kAddPrinterFailed = 70,     // no step yields it
  kSystemTooOld = 100,        // older than Windows 2000
  kDriverCommandTimedOut = 110,  // unattended: the driver command did not end within the time limit
  kNewerDriverInstalled = 120,   // an update whose package is older than the installed driver
  kQueueNotUpdated = 130,        // an update that could not point the queue at the printer's port
  kProtectedPrintMode = 140,     // Windows protected print mode refuses every third-party driver
  kNoDriverForMachine = 150,     // the package has no models for this machine's architecture
};

// The string-table text the install page shows for a result; 0 for a result without one.
unsigned int MessageIdForResult(InstallResult result);

// What the setup log says of a result.
const wchar_t* DescribeResult(InstallResult result);

// The program's exit codes: those of Windows Installer, which deployment tools (Intune,
// Configuration Manager, PDQ Deploy, Group Policy scripts) already understand.
enum ExitCode : unsigned long {
  kExitSuccess = 0,
  kExitNoDevice = 1167,          // ERROR_DEVICE_NOT_CONNECTED
  kExitOldWindows = 1150,        // ERROR_OLD_WIN_VERSION
  kExitCancelled = 1602,         // ERROR_INSTALL_USEREXIT
  kExitInstallFailed = 1603,     // ERROR_INSTALL_FAILURE
  kExitAlreadyRunning = 1618,    // ERROR_INSTALL_ALREADY_RUNNING: "retry later"
  kExitPackageMissing = 1619,    // ERROR_INSTALL_PACKAGE_OPEN_FAILED
  kExitNotInstalled = 1605,      // ERROR_UNKNOWN_PRODUCT: a removal found nothing of ours
  kExitNewerVersionInstalled = 1638,  // ERROR_PRODUCT_VERSION: a newer driver is installed
  kExitPlatformUnsupported = 1633,    // ERROR_INSTALL_PLATFORM_UNSUPPORTED: not for this processor
  kExitDriverBlocked = 3014,          // ERROR_PRINTER_DRIVER_BLOCKED: protected print mode
  kExitBadCommandLine = 1639,    // ERROR_INVALID_COMMAND_LINE
};

// The exit code of an install that ended with `result`.
ExitCode ExitCodeForResult(InstallResult result);
