#include "device/printer_records_core.h"

#include "win/format_core.h"

const wchar_t kUsbPrintInterfaceClassText[] = L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

namespace {

// Subkey numbers beyond this are held at it, so that one more never overflows.
constexpr int kLargestSubkeyNumber = 99999999;

std::wstring WithoutCharacter(const std::wstring& text, wchar_t dropped) {
  std::wstring kept;
  kept.reserve(text.size());
  for (wchar_t c : text) {
    if (c != dropped) kept.push_back(c);
  }
  return kept;
}

}  // namespace

std::wstring InterfacePartFromSymbolicName(const std::wstring& symbolicName, const std::wstring& instancePath) {
  std::wstring part = symbolicName;
  const size_t brace = part.find(L'{');
  if (brace != std::wstring::npos) {
    part.erase(brace);
    const size_t usb = part.find(L"USB");
    if (usb != std::wstring::npos) part.erase(0, usb);
  }
  if (!part.empty()) return part;
  std::wstring fromInstance = instancePath;
  for (wchar_t& c : fromInstance) {
    if (c == L'\\') c = L'#';
  }
  fromInstance.push_back(L'#');
  return fromInstance;
}

std::wstring InterfaceKeyName(const std::wstring& interfacePart) {
  return L"##?#" + interfacePart + kUsbPrintInterfaceClassText;
}

std::wstring UsbPortName(unsigned long portNumber) { return FormatString(L"USB%03d", portNumber); }

bool PrinterNameFromPortDescription(const std::wstring& description, std::wstring& name) {
  const std::wstring trimmed = TrimWhiteSpace(description);
  const size_t space = trimmed.find(L' ');
  if (space == std::wstring::npos) return false;
  name = TrimWhiteSpace(trimmed.substr(space + 1));
  return true;
}

bool UsbDeviceNameMatchesModel(const std::wstring& deviceName, const std::wstring& model) {
  const std::wstring needle = ToUpperAscii(WithoutCharacter(model, L' '));
  if (needle.empty()) return false;
  const std::wstring haystack = WithoutCharacter(ToUpperAscii(deviceName), L'_');
  return haystack.find(needle) != std::wstring::npos;
}

bool UsbPrintInstanceServesPort(const std::wstring& instanceName, const std::wstring& port) {
  if (port.empty() || instanceName.size() < port.size()) return false;
  const std::wstring name = ToUpperAscii(instanceName);
  const std::wstring tail = ToUpperAscii(port);
  if (name.compare(name.size() - tail.size(), tail.size(), tail) != 0) return false;
  return name.size() == tail.size() || name[name.size() - tail.size() - 1] == L'&';
}

std::wstring LptModelFromHardwareId(const std::wstring& hardwareId, const std::wstring& seriesCode) {
  std::wstring text = hardwareId.size() > 4 ? hardwareId.substr(0, hardwareId.size() - 4) : std::wstring();
  text = WithoutCharacter(text, L'_');
  if (seriesCode.empty()) return text;
  const size_t series = text.rfind(seriesCode);
  if (series != std::wstring::npos) text.erase(0, series);
  return text;
}

int LargestSubkeyNumber(const std::vector<std::wstring>& names) {
  int largest = -1;
  for (const std::wstring& name : names) {
    int number = 0;
    for (wchar_t c : name) {
      if (c < L'0' || c > L'9') break;
      number = number * 10 + static_cast<int>(c - L'0');
      if (number > kLargestSubkeyNumber) {
        number = kLargestSubkeyNumber;
        break;
      }
    }
    if (number > largest) largest = number;
  }
  return largest;
}

std::wstring DriverSubkeyName(int number) { return FormatString(L"%04d", number); }

const wchar_t kPrinterClassGuidText[] = L"{4D36E979-E325-11CE-BFC1-08002BE10318}";

const std::wstring kUsbPrintDevicesKeyPath = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT";
const std::wstring kLptDevicesKeyPath = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM";
const std::wstring kPrinterClassKeyPath =
    std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\Class\\") + kPrinterClassGuidText;

namespace {

RecordValue Text(const wchar_t* name, const std::wstring& text) { return RecordValue{name, false, text, 0}; }
RecordValue Number(const wchar_t* name, unsigned long number) {
  return RecordValue{name, true, std::wstring(), number};
}

std::wstring DriverReference(const std::wstring& driverSubkey) {
  return std::wstring(kPrinterClassGuidText) + L"\\" + driverSubkey;
}

}  // namespace

std::vector<RecordValue> PrinterClassValues() {
  return {
      Text(L"", L""),
      Text(L"Class", L"Printer"),
      Text(L"Icon", L"-4"),
      Text(L"Installer32", L"ntprint.dll,ClassInstall32"),
      Text(L"NoDisplayClass", L"1"),
      Text(L"EnumPropPages32", L"printui.dll,PrinterPropPageProvider"),
  };
}

std::vector<RecordValue> UsbSideValues(const std::wstring& modelDesc, const std::wstring& providerName,
                                       const std::wstring& driverSubkey, const std::wstring& deviceKeyPath) {
  return {
      Text(L"_DeviceDesc", modelDesc),
      Number(L"_ConfigFlags", 0),
      Text(L"_ClassGUID", kPrinterClassGuidText),
      Text(L"_Class", L"Printer"),
      Text(L"_Driver", DriverReference(driverSubkey)),
      Text(L"_Mfg", providerName),
      Number(L"_UpdateMode", 0),
      Text(L"_ToPath", deviceKeyPath),
  };
}

std::vector<RecordValue> LptSideValues(const std::wstring& modelDesc, const std::wstring& providerName,
                                       const std::wstring& seriesCode, const std::wstring& driverSubkey,
                                       const std::wstring& deviceKeyPath) {
  return {
      Text(L"_DeviceDesc", modelDesc),
      Number(L"_ConfigFlags", 0),
      Text(L"_ClassGUID", kPrinterClassGuidText),
      Text(L"_Driver", DriverReference(driverSubkey)),
      Text(L"_Class", L"Printer"),
      Text(L"_Mfg", providerName),
      Number(L"_UpdateMode", 2),
      Text(L"_BrandSeries", providerName + seriesCode),
      Text(L"_ToPath", deviceKeyPath),
  };
}
