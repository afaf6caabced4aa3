#include "install/printer_settings.h"

#include <winspool.h>

#include <vector>

#include "win/app.h"
#include "win/handles.h"
#include "win/spooler.h"

namespace {

// Most printers' level-2 data fits here; larger data gets a second query of the reported size.
constexpr DWORD kFirstQueryBytes = 4096;
// The system's message texts are read into a buffer of this many characters.
constexpr DWORD kErrorTextChars = 1024;

using win::spooler::ScopedPrinter;

void ShowSystemError(DWORD code, HWND owner) {
  wchar_t text[kErrorTextChars] = {};
  ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                   kErrorTextChars, nullptr);
  win::AppMessageBox(owner, text, MB_OK);
}

// Reads the printer's level-2 data: 4096 bytes first, then the size the spooler asks for.
// Returns the error code on failure.
DWORD QueryPrinterInfo2(HANDLE printer, win::ScopedLocalMemory& buffer) {
  buffer.Reset(::LocalAlloc(LMEM_FIXED, kFirstQueryBytes));
  if (!buffer) return ::GetLastError();
  DWORD needed = 0;
  if (win::spooler::GetPrinterW(printer, 2, static_cast<BYTE*>(buffer.Get()), kFirstQueryBytes, &needed)) return ERROR_SUCCESS;
  DWORD error = ::GetLastError();
  if (needed <= kFirstQueryBytes) return error;

  const DWORD size = needed;
  buffer.Reset(::LocalAlloc(LMEM_FIXED, size));
  if (!buffer) return ::GetLastError();
  if (win::spooler::GetPrinterW(printer, 2, static_cast<BYTE*>(buffer.Get()), size, &needed)) return ERROR_SUCCESS;
  error = ::GetLastError();
  // A spooler that fails without saying why must not make the failure look like success.
  return error != ERROR_SUCCESS ? error : ERROR_INSUFFICIENT_BUFFER;
}

void RunPass(const std::wstring& printerName, HWND owner, PrinterSettingsPass pass) {
  ::SetLastError(0);
  // No name would open the print server itself rather than a printer.
  if (printerName.empty()) {
    ShowSystemError(ERROR_INVALID_PRINTER_NAME, owner);
    return;
  }
  std::vector<wchar_t> name(printerName.begin(), printerName.end());
  name.push_back(L'\0');
  // Changing a printer's defaults needs administer rights; the spooler's default grants only use.
  PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  ScopedPrinter printer;
  if (!win::spooler::OpenPrinterW(name.data(), printer.Receive(), &defaults)) {
    ShowSystemError(::GetLastError(), owner);
    return;
  }

  win::ScopedLocalMemory buffer;
  const DWORD queryError = QueryPrinterInfo2(printer.Get(), buffer);
  if (queryError != ERROR_SUCCESS) {
    ShowSystemError(queryError, owner);
    return;
  }

  PRINTER_INFO_2W* info = static_cast<PRINTER_INFO_2W*>(buffer.Get());
  if (!ApplyPrinterSettingsPass(info->pDevMode, pass)) return;
  // Level 2 takes no command; a null security descriptor leaves the printer's security alone.
  info->pSecurityDescriptor = nullptr;
  if (!win::spooler::SetPrinterW(printer.Get(), 2, static_cast<BYTE*>(buffer.Get()), 0)) ShowSystemError(::GetLastError(), owner);
}

}  // namespace

bool ApplyPrinterSettingsPass(DEVMODEW* devMode, PrinterSettingsPass pass) {
  if (devMode == nullptr) return false;
  switch (pass) {
    case PrinterSettingsPass::kLandscape:
      devMode->dmFields |= DM_ORIENTATION;
      devMode->dmOrientation = DMORIENT_LANDSCAPE;
      return true;
    case PrinterSettingsPass::kPaperA3:
      devMode->dmFields |= DM_PAPERSIZE;
      devMode->dmPaperSize = DMPAPER_A3;
      return true;
  }
  return false;
}

void ApplyPrinterDefaultSettings(const std::wstring& printerName, HWND owner) {
  RunPass(printerName, owner, PrinterSettingsPass::kLandscape);
  RunPass(printerName, owner, PrinterSettingsPass::kPaperA3);
}
