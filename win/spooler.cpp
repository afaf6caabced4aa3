#include "win/spooler.h"

namespace win {

namespace spooler {
namespace {

template <typename Fn>
Fn Entry(const char* name) {
  return SystemFunction<Fn>(L"winspool.drv", name);
}

EnumPrintersFn g_enumPrintersForTesting = nullptr;

BOOL Unavailable() {
  ::SetLastError(ERROR_MOD_NOT_FOUND);
  return FALSE;
}

}  // namespace

void SetEnumPrintersForTesting(EnumPrintersFn replacement) { g_enumPrintersForTesting = replacement; }

BOOL EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) {
  if (g_enumPrintersForTesting != nullptr) {
    return g_enumPrintersForTesting(flags, name, level, buffer, size, needed, returned);
  }
  static EnumPrintersFn fn = Entry<EnumPrintersFn>("EnumPrintersW");
  return fn ? fn(flags, name, level, buffer, size, needed, returned) : Unavailable();
}

BOOL OpenPrinterW(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults) {
  using Fn = BOOL(WINAPI*)(LPWSTR, LPHANDLE, LPPRINTER_DEFAULTSW);
  static Fn fn = Entry<Fn>("OpenPrinterW");
  return fn ? fn(name, printer, defaults) : Unavailable();
}

BOOL GetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
  using Fn = BOOL(WINAPI*)(HANDLE, DWORD, LPBYTE, DWORD, LPDWORD);
  static Fn fn = Entry<Fn>("GetPrinterW");
  return fn ? fn(printer, level, buffer, size, needed) : Unavailable();
}

BOOL SetPrinterW(HANDLE printer, DWORD level, LPBYTE buffer, DWORD command) {
  using Fn = BOOL(WINAPI*)(HANDLE, DWORD, LPBYTE, DWORD);
  static Fn fn = Entry<Fn>("SetPrinterW");
  return fn ? fn(printer, level, buffer, command) : Unavailable();
}

BOOL ClosePrinter(HANDLE printer) {
  using Fn = BOOL(WINAPI*)(HANDLE);
  static Fn fn = Entry<Fn>("ClosePrinter");
  return fn ? fn(printer) : Unavailable();
}

BOOL DeletePrinter(HANDLE printer) {
  using Fn = BOOL(WINAPI*)(HANDLE);
  static Fn fn = Entry<Fn>("DeletePrinter");
  return fn ? fn(printer) : Unavailable();
}

BOOL DeletePrinterDriverExW(LPWSTR environment, LPWSTR driverName, DWORD flags) {
  using ExFn = BOOL(WINAPI*)(LPWSTR, LPWSTR, LPWSTR, DWORD, DWORD);
  using Fn = BOOL(WINAPI*)(LPWSTR, LPWSTR, LPWSTR);
  static ExFn ex = Entry<ExFn>("DeletePrinterDriverExW");
  if (ex != nullptr) return ex(nullptr, environment, driverName, flags, 0);
  static Fn plain = Entry<Fn>("DeletePrinterDriverW");
  return plain ? plain(nullptr, environment, driverName) : Unavailable();
}

}  // namespace spooler
}  // namespace win
