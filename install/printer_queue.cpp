#include "install/printer_queue.h"

#include <winspool.h>

#include "win/format_core.h"
#include "win/handles.h"
#include "win/spooler.h"

namespace {

constexpr DWORD kLocalPrinters = PRINTER_ENUM_LOCAL;

// The level-2 data of an open printer; false with the error when it cannot be read.
bool ReadInfo2(HANDLE printer, std::vector<BYTE>& block, DWORD& error) {
  DWORD needed = 0;
  win::spooler::GetPrinterW(printer, 2, nullptr, 0, &needed);
  if (needed == 0) {
    error = ::GetLastError();
    return false;
  }
  block.assign(needed, 0);
  if (!win::spooler::GetPrinterW(printer, 2, block.data(), needed, &needed)) {
    error = ::GetLastError();
    return false;
  }
  return true;
}

bool OpenForAdministration(const std::wstring& name, win::spooler::ScopedPrinter& printer, DWORD& error) {
  std::vector<wchar_t> text(name.begin(), name.end());
  text.push_back(L'\0');
  PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!win::spooler::OpenPrinterW(text.data(), printer.Receive(), &defaults)) {
    error = ::GetLastError();
    return false;
  }
  return true;
}

std::wstring Text(const wchar_t* text) { return text != nullptr ? std::wstring(text) : std::wstring(); }

}  // namespace

bool ListPrinterQueues(std::vector<PrinterQueue>& queues, DWORD& error) {
  queues.clear();
  error = ERROR_SUCCESS;
  DWORD needed = 0;
  DWORD count = 0;
  win::spooler::EnumPrintersW(kLocalPrinters, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed == 0) {
    error = ::GetLastError();
    // No printer at all answers with nothing needed and no error.
    return error == ERROR_SUCCESS || error == ERROR_INSUFFICIENT_BUFFER;
  }
  std::vector<BYTE> block(needed);
  if (!win::spooler::EnumPrintersW(kLocalPrinters, nullptr, 2, block.data(), needed, &needed, &count)) {
    error = ::GetLastError();
    return false;
  }
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(block.data());
  for (DWORD i = 0; i < count; ++i) {
    queues.push_back({Text(info[i].pPrinterName), Text(info[i].pPortName), Text(info[i].pDriverName)});
  }
  return true;
}

bool FindPrinterQueue(const std::wstring& name, PrinterQueue& queue) {
  std::vector<PrinterQueue> queues;
  DWORD error = ERROR_SUCCESS;
  if (!ListPrinterQueues(queues, error)) return false;
  for (const PrinterQueue& candidate : queues) {
    if (EqualsIgnoreAsciiCase(candidate.name, name)) {
      queue = candidate;
      return true;
    }
  }
  return false;
}

bool SetPrinterQueuePort(const std::wstring& name, const std::wstring& port, DWORD& error) {
  error = ERROR_SUCCESS;
  win::spooler::ScopedPrinter printer;
  if (!OpenForAdministration(name, printer, error)) return false;
  std::vector<BYTE> block;
  if (!ReadInfo2(printer.Get(), block, error)) return false;
  auto* info = reinterpret_cast<PRINTER_INFO_2W*>(block.data());
  std::vector<wchar_t> portText(port.begin(), port.end());
  portText.push_back(L'\0');
  info->pPortName = portText.data();
  // The security descriptor is not changed: handing it back would need rights beyond the queue's.
  info->pSecurityDescriptor = nullptr;
  if (!win::spooler::SetPrinterW(printer.Get(), 2, block.data(), 0)) {
    error = ::GetLastError();
    return false;
  }
  return true;
}

bool DeletePrinterQueue(const std::wstring& name, DWORD& error) {
  error = ERROR_SUCCESS;
  win::spooler::ScopedPrinter printer;
  if (!OpenForAdministration(name, printer, error)) return false;
  if (!win::spooler::DeletePrinter(printer.Get())) {
    error = ::GetLastError();
    return false;
  }
  return true;
}

bool IsPrinterDriverInUse(const std::wstring& driver) {
  std::vector<PrinterQueue> queues;
  DWORD error = ERROR_SUCCESS;
  // A spooler that does not answer cannot show the driver unused: it is kept.
  if (!ListPrinterQueues(queues, error)) return true;
  for (const PrinterQueue& queue : queues) {
    if (queue.driver == driver) return true;
  }
  return false;
}

bool DeletePrinterDriver(const std::wstring& driver, const std::wstring& environment, DWORD& error) {
  error = ERROR_SUCCESS;
  std::vector<wchar_t> name(driver.begin(), driver.end());
  name.push_back(L'\0');
  std::vector<wchar_t> where(environment.begin(), environment.end());
  where.push_back(L'\0');
  if (win::spooler::DeletePrinterDriverExW(where.data(), name.data(), DPD_DELETE_UNUSED_FILES)) return true;
  error = ::GetLastError();
  // A spooler that knows no flags (Wine's) refuses the request itself: the driver alone then,
  // its files staying where other drivers may need them.
  if (error != ERROR_INVALID_PARAMETER) return false;
  if (win::spooler::DeletePrinterDriverExW(where.data(), name.data(), 0)) {
    error = ERROR_SUCCESS;
    return true;
  }
  error = ::GetLastError();
  return false;
}
