// Symbolic names, instance paths and port descriptions come from registry records that any
// driver or tool may have written: the texts derived from them must stay well-formed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/printer_name_core.h"
#include "device/printer_records_core.h"
#include "device/usb_printer_core.h"

namespace {

// Two bytes per character (UTF-16 code units), the way the registry stores texts.
std::wstring Text(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte splits the input into a symbolic name and an instance path.
  if (size == 0) return 0;
  const size_t split = (size_t{data[0]} * (size - 1)) / 255;
  const std::wstring symbolicName = Text(data + 1, split);
  const std::wstring instancePath = Text(data + 1 + split, size - 1 - split);

  const std::wstring part = InterfacePartFromSymbolicName(symbolicName, instancePath);
  if (part.empty() || part.size() > symbolicName.size() + instancePath.size() + 1) __builtin_trap();
  const std::wstring key = InterfaceKeyName(part);
  if (key.compare(0, 4, L"##?#") != 0) __builtin_trap();

  std::wstring name;
  if (PrinterNameFromPortDescription(symbolicName, name)) {
    const std::wstring cleaned = CleanPrinterName(name);
    for (wchar_t c : cleaned) {
      if (c == L'"' || c == L'\\' || c == L',' || static_cast<unsigned long>(c) < 0x20) __builtin_trap();
    }
    if (!cleaned.empty() && (cleaned.front() == L' ' || cleaned.back() == L' ')) __builtin_trap();
    std::wstring kept = L"previous";
    if (!AssignCleanPrinterName(kept, name) && kept != L"previous") __builtin_trap();
  }
  UsbDeviceNameMatchesModel(instancePath, symbolicName);
  IsAcceptedUsbInstanceId(instancePath);
  unsigned long number = 0;
  for (size_t i = 1; i < 5 && i < size; ++i) number = (number << 8) | data[i];
  const std::wstring port = UsbPortName(number);
  if (port.size() < 6 || port.compare(0, 3, L"USB") != 0) __builtin_trap();
  return 0;
}
