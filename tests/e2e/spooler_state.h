// What the end-to-end scenarios check in the prefix after an install: the spooler, the profile,
// files, the setup log and the services.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "install/install_spooler_helpers.h"
#include "support/seed_records.h"

namespace e2e {

inline std::vector<std::wstring> PrinterNames() {
  std::vector<std::wstring> names;
  DWORD needed = 0, count = 0;
  ::EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed == 0) return names;
  std::vector<BYTE> block(needed + 4);
  if (!::EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, block.data(), needed, &needed,
                       &count)) {
    return names;
  }
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(block.data());
  for (DWORD i = 0; i < count; ++i) names.emplace_back(info[i].pPrinterName ? info[i].pPrinterName : L"");
  return names;
}

// Only ever inside a Wine prefix: on a real Windows these would be the user's printers.
inline void DeleteAllPrinters() {
  if (!kqseed::RunningUnderWine()) return;
  for (const std::wstring& name : PrinterNames()) install_test::DeleteTestPrinter(name);
  ::WriteProfileStringW(L"windows", L"device", nullptr);
}

inline std::wstring DefaultPrinterEntry() {
  wchar_t buffer[1024] = {};
  ::GetProfileStringW(L"windows", L"device", L"", buffer, 1024);
  return buffer;
}

struct PrinterDefaults {
  bool found = false;
  short orientation = 0;
  short paper = 0;
};

inline PrinterDefaults ReadPrinterDefaults(const std::wstring& name) {
  PrinterDefaults result;
  HANDLE printer = nullptr;
  if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, nullptr)) return result;
  DWORD needed = 0;
  ::GetPrinterW(printer, 2, nullptr, 0, &needed);
  std::vector<BYTE> block(needed + 4);
  if (needed != 0 && ::GetPrinterW(printer, 2, block.data(), needed, &needed)) {
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(block.data());
    if (info->pDevMode != nullptr) {
      result.found = true;
      result.orientation = info->pDevMode->dmOrientation;
      result.paper = info->pDevMode->dmPaperSize;
    }
  }
  ::ClosePrinter(printer);
  return result;
}

// A file's bytes, read while others may keep it open; empty when it cannot be read.
inline std::string FileBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[65536];
  DWORD read = 0;
  while (::ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes.append(chunk, read);
  ::CloseHandle(file);
  return bytes;
}

inline std::wstring ReadUtf8File(const std::wstring& path) {
  const std::string bytes = FileBytes(path);
  int units = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(units > 0 ? units : 0), L'\0');
  if (units > 0) ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], units);
  return text;
}

// The text of a setup log's line, after its time ("YYYY-MM-DD hh:mm:ss.mmm ") and the process id
// ("[4242] ") that every line carries.
inline std::wstring LogLineText(const std::wstring& line) {
  std::wstring text = line.size() > 24 ? line.substr(24) : line;
  const size_t close = text.find(L"] ");
  if (!text.empty() && text[0] == L'[' && close != std::wstring::npos) text = text.substr(close + 2);
  return text;
}

// The text of a setup log's last line.
inline std::wstring LastLogLine(const std::wstring& log) {
  std::wstring text = log;
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
  const size_t start = text.find_last_of(L'\n');
  return LogLineText(start == std::wstring::npos ? text : text.substr(start + 1));
}

inline bool ServiceExists(const wchar_t* name) {
  SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return false;
  SC_HANDLE service = ::OpenServiceW(manager, name, SERVICE_QUERY_STATUS);
  if (service) ::CloseServiceHandle(service);
  ::CloseServiceHandle(manager);
  return service != nullptr;
}

}  // namespace e2e
