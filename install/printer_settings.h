// Default page settings of an installed printer: landscape orientation and A3 paper, written into
// the printer's own default device mode through the spooler.
#pragma once

#include <windows.h>

#include <string>

// The two changes, each made in a pass of its own over the printer.
enum class PrinterSettingsPass {
  kLandscape,  // DM_ORIENTATION, DMORIENT_LANDSCAPE
  kPaperA3,    // DM_PAPERSIZE, DMPAPER_A3
};

// Makes one pass's change in a device-mode record; false when there is no record to change.
bool ApplyPrinterSettingsPass(DEVMODEW* devMode, PrinterSettingsPass pass);

// Runs both passes over `printerName`, each with its own open and close. A pass that cannot open
// the printer, read its settings or store them shows the system's text for the error in a message
// box owned by `owner`, and the other pass still runs.
void ApplyPrinterDefaultSettings(const std::wstring& printerName, HWND owner);
