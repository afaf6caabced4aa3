// Seeds a Wine prefix with the device records of printers, as Windows keeps them:
//   kqseed usb [DESCRIPTION [HARDWAREID [PORTNUMBER]]]   e.g. kqseed usb "KESTROM KQ-80" USBPRINT\KESTROMKQ-80E5A1 1
//   kqseed lpt DEVICENAME [--mfg]                         e.g. kqseed lpt KESTROMKQ-80_3E1A
//   kqseed count N                                        the USB printing service's "Count" alone
//   kqseed clear                                          removes all device records seeded
//   kqseed clear-class                                    removes the printer class key (what an install wrote)
// Exit code 0 on success, 1 when a record could not be written, 2 on a usage error, 3 outside Wine.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "support/seed_records.h"

namespace {

int Usage() {
  std::fputs(
      "usage: kqseed usb [DESCRIPTION [HARDWAREID [PORTNUMBER]]]\n"
      "       kqseed lpt DEVICENAME [--mfg]\n"
      "       kqseed count N\n"
      "       kqseed clear | clear-class\n",
      stderr);
  return 2;
}

bool ParseNumber(const std::wstring& text, DWORD& value) {
  if (text.empty() || text.size() > 9) return false;
  DWORD number = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    number = number * 10 + static_cast<DWORD>(c - L'0');
  }
  value = number;
  return true;
}

int Run(const std::vector<std::wstring>& args) {
  if (args.empty()) return Usage();
  const std::wstring& command = args[0];
  if (command == L"usb") {
    kqseed::UsbPrinterSeed seed;
    if (args.size() > 1) seed.portDescription = args[1];
    if (args.size() > 2) seed.hardwareId = args[2];
    if (args.size() > 3 && !ParseNumber(args[3], seed.portNumber)) return Usage();
    if (args.size() > 4) return Usage();
    return kqseed::SeedUsbPrinter(seed) ? 0 : 1;
  }
  if (command == L"lpt") {
    if (args.size() < 2 || args.size() > 3) return Usage();
    kqseed::LptPrinterSeed seed;
    seed.deviceName = args[1];
    if (args.size() == 3) {
      if (args[2] != L"--mfg") return Usage();
      seed.withMfg = true;
    }
    return kqseed::SeedLptPrinter(seed) ? 0 : 1;
  }
  if (command == L"count") {
    DWORD count = 0;
    if (args.size() != 2 || !ParseNumber(args[1], count)) return Usage();
    return kqseed::SetUsbPrintCount(count) ? 0 : 1;
  }
  if (command == L"clear" && args.size() == 1) return kqseed::ClearSeededRecords() ? 0 : 1;
  if (command == L"clear-class" && args.size() == 1) return kqseed::ClearPrinterClassRecords() ? 0 : 1;
  return Usage();
}

}  // namespace

int main() {
  // It writes and deletes the printer device records and the printer class key of the machine
  // it runs on: only a Wine prefix's are ours to change.
  if (!kqseed::RunningUnderWine()) {
    std::fputs("kqseed: refusing to run outside Wine: it would change this machine's own printer device records\n",
               stderr);
    return 3;
  }
  int count = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (argv == nullptr) return 2;
  std::vector<std::wstring> args;
  for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
  ::LocalFree(argv);
  return Run(args);
}
