// Spooler helpers shared by the install tests: printers they create are removed again.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

namespace install_test {

inline bool AddTestPrinter(const std::wstring& name, const std::wstring& port) {
  static wchar_t driverFile[] = L"wineps.drv";
  static wchar_t driverName[] = L"KQ Test Driver";
  DRIVER_INFO_3W driver = {};
  driver.cVersion = 3;
  driver.pName = driverName;
  driver.pDriverPath = driver.pConfigFile = driver.pDataFile = driverFile;
  if (!::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver), APD_COPY_NEW_FILES) &&
      ::GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
    return false;
  }
  std::wstring printerName = name;
  std::wstring portName = port;
  PRINTER_INFO_2W info = {};
  info.pPrinterName = &printerName[0];
  info.pPortName = &portName[0];
  info.pDriverName = driverName;
  info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
  info.pDatatype = const_cast<wchar_t*>(L"RAW");
  HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
  if (printer == nullptr) return false;
  ::ClosePrinter(printer);
  return true;
}

inline bool DeleteTestPrinter(const std::wstring& name) {
  PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, &defaults)) return false;
  const BOOL deleted = ::DeletePrinter(printer);
  ::ClosePrinter(printer);
  return deleted != FALSE;
}

// Port and driver of a printer; false when it does not exist.
inline bool QueryPrinter(const std::wstring& name, std::wstring& port, std::wstring& driver) {
  HANDLE printer = nullptr;
  if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, nullptr)) return false;
  DWORD needed = 0;
  ::GetPrinterW(printer, 2, nullptr, 0, &needed);
  std::vector<BYTE> block(needed + 4);
  bool ok = needed != 0 && ::GetPrinterW(printer, 2, block.data(), needed, &needed);
  if (ok) {
    const PRINTER_INFO_2W* info = reinterpret_cast<const PRINTER_INFO_2W*>(block.data());
    port = info->pPortName ? info->pPortName : L"";
    driver = info->pDriverName ? info->pDriverName : L"";
  }
  ::ClosePrinter(printer);
  return ok;
}

}  // namespace install_test
