// The spooler's functions, taken from winspool.drv in the system directory on first use.
// winspool.drv is not one of the system's known DLLs, so importing it at load time would let a
// copy planted beside a setup program (which runs with administrator rights) be loaded instead.
#pragma once

#include <windows.h>
#include <winspool.h>

#include "win/handles.h"
#include "win/system_library.h"

namespace win {
namespace spooler {

BOOL EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned);
BOOL OpenPrinterW(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults);
BOOL GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed);
BOOL SetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD command);
BOOL ClosePrinter(HANDLE printer);
BOOL DeletePrinter(HANDLE printer);
// DeletePrinterDriverExW (Windows 2000 and later) with `flags` (DPD_DELETE_UNUSED_FILES ...);
// before it DeletePrinterDriverW, which keeps the files.
BOOL DeletePrinterDriverExW(LPWSTR environment, LPWSTR driverName, DWORD flags);

// One owner per printer handle.
struct PrinterTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ClosePrinter(h); }
};
using ScopedPrinter = ScopedObject<PrinterTraits>;

// Tests: EnumPrintersW answers through `replacement` (null: the spooler's own again).
using EnumPrintersFn = BOOL(WINAPI*)(DWORD, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
void SetEnumPrintersForTesting(EnumPrintersFn replacement);

}  // namespace spooler
}  // namespace win
