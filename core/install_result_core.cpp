#include "core/install_result_core.h"

#include "res/resource.h"

unsigned int MessageIdForResult(InstallResult result) {
  switch (result) {
    case InstallResult::kSuccess: return IDS_INSTALL_SUCCESS;
    case InstallResult::kReconnectUsb: return IDS_RECONNECT_USB;
    case InstallResult::kDriverMismatch: return IDS_DRIVER_MISMATCH;
    case InstallResult::kNoUsbPrinter: return IDS_NO_USB_PRINTER;
    case InstallResult::kPowerCyclePrinter: return IDS_POWER_CYCLE_PRINTER;
    case InstallResult::kReconnectCable: return IDS_RECONNECT_CABLE;
    case InstallResult::kReconnectUsbCable: return IDS_RECONNECT_USB;
    case InstallResult::kNoResourceFile: return IDS_NO_RESOURCE_FILE;
    case InstallResult::kUnknownError: return IDS_UNKNOWN_INSTALL_ERROR;
    case InstallResult::kAddDriverFailed: return IDS_ADD_DRIVER_FAILED;
    case InstallResult::kAddPrinterFailed: return IDS_ADD_PRINTER_FAILED;
    case InstallResult::kSystemTooOld: return IDS_OS_TOO_OLD;
    case InstallResult::kDriverCommandTimedOut: return IDS_UNKNOWN_INSTALL_ERROR;
    case InstallResult::kNewerDriverInstalled: return IDS_UNKNOWN_INSTALL_ERROR;
    case InstallResult::kQueueNotUpdated: return IDS_UNKNOWN_INSTALL_ERROR;
    case InstallResult::kProtectedPrintMode: return IDS_PROTECTED_PRINT_MODE;
    case InstallResult::kNoDriverForMachine: return IDS_NO_DRIVER_FOR_MACHINE;
  }
  return 0;
}

const wchar_t* DescribeResult(InstallResult result) {
  switch (result) {
    case InstallResult::kSuccess: return L"installed";
    case InstallResult::kReconnectUsb: return L"reconnect the USB cable";
    case InstallResult::kDriverMismatch: return L"the driver does not match the printer";
    case InstallResult::kNoUsbPrinter: return L"no USB printer of the series is attached";
    case InstallResult::kPowerCyclePrinter: return L"the printer must be switched off and on";
    case InstallResult::kReconnectCable: return L"reconnect the cable";
    case InstallResult::kReconnectUsbCable: return L"reconnect the USB cable";
    case InstallResult::kNoResourceFile: return L"a resource file is missing";
    case InstallResult::kUnknownError: return L"the driver install created no printer";
    case InstallResult::kAddDriverFailed: return L"the driver could not be added";
    case InstallResult::kAddPrinterFailed: return L"the printer could not be added";
    case InstallResult::kSystemTooOld: return L"the system is older than Windows 2000";
    case InstallResult::kDriverCommandTimedOut: return L"the driver install did not end within the time limit";
    case InstallResult::kNewerDriverInstalled: return L"a newer driver is installed than the package brings";
    case InstallResult::kQueueNotUpdated: return L"the printer could not be pointed at its port";
    case InstallResult::kProtectedPrintMode: return L"Windows protected print mode allows no third-party driver";
    case InstallResult::kNoDriverForMachine: return L"the package has no driver for this machine";
  }
  return L"unknown result";
}

ExitCode ExitCodeForResult(InstallResult result) {
  switch (result) {
    case InstallResult::kSuccess: return kExitSuccess;
    case InstallResult::kNoUsbPrinter: return kExitNoDevice;
    case InstallResult::kSystemTooOld: return kExitOldWindows;
    case InstallResult::kNewerDriverInstalled: return kExitNewerVersionInstalled;
    case InstallResult::kProtectedPrintMode: return kExitDriverBlocked;
    case InstallResult::kNoDriverForMachine: return kExitPlatformUnsupported;
    default: return kExitInstallFailed;
  }
}
