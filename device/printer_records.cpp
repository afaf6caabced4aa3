#include "device/printer_records.h"

#include <windows.h>

#include "device/printer_records_core.h"
#include "device/usb_printer_core.h"
#include "package/registry_key.h"
#include "win/format_core.h"
#include "win/setup_log.h"

namespace {

constexpr REGSAM kSearchAccess = KEY_READ;

const std::wstring kUsbPrintEnumKey = L"SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";
const std::wstring kDeviceEnumKey = L"SYSTEM\\CurrentControlSet\\Enum\\";
const std::wstring kPrinterInterfacesKey =
    std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\") + kUsbPrintInterfaceClassText + L"\\";

bool ReadUsbDeviceCount(DWORD& count, bool& keyOpened) {
  CRegistryKey key(HKEY_LOCAL_MACHINE, kSearchAccess);
  keyOpened = key.OpenSubKey(kUsbPrintEnumKey, 0) != FALSE;
  if (!keyOpened) return false;
  return key.GetDwordValue(L"Count", count) != FALSE;
}

// The record of the device the USB printing service lists as number `index`; false when one of
// its records cannot be opened.
bool ReadPortRecord(DWORD index, UsbPortRecord& record) {
  CRegistryKey enumKey(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!enumKey.OpenSubKey(kUsbPrintEnumKey, 0)) return false;
  if (!enumKey.GetStringValue(FormatString(L"%d", index), record.instancePath) || record.instancePath.empty()) {
    return false;
  }

  CRegistryKey parameters(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!parameters.OpenSubKey(kDeviceEnumKey + record.instancePath + L"\\Device Parameters", 0)) return false;
  std::wstring symbolicName;
  parameters.GetStringValue(L"SymbolicName", symbolicName);
  const std::wstring interfacePart = InterfacePartFromSymbolicName(symbolicName, record.instancePath);

  CRegistryKey portKey(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!portKey.OpenSubKey(kPrinterInterfacesKey + InterfaceKeyName(interfacePart) + L"\\#\\Device Parameters", 0)) {
    return false;
  }
  DWORD portNumber = 1;
  if (!portKey.GetDwordValue(L"Port Number", portNumber)) portNumber = 1;
  record.port = UsbPortName(portNumber);
  record.description.clear();
  portKey.GetStringValue(L"Port Description", record.description);
  return true;
}

}  // namespace

bool IsPrinterUsbEnumerated() {
  DWORD count = 0;
  bool keyOpened = false;
  return ReadUsbDeviceCount(count, keyOpened) && count >= 1;
}

int ReadUsbPortRecords(std::vector<UsbPortRecord>& records) {
  DWORD count = 0;
  bool keyOpened = false;
  if (!ReadUsbDeviceCount(count, keyOpened)) {
    if (!keyOpened) return kPortRecordsNoEnumKey;
    count = 0;
  }
  if (count == 0) return kPortRecordsNoDevice;
  for (DWORD index = 0; index < count; ++index) {
    UsbPortRecord record;
    if (!ReadPortRecord(index, record)) {
      return records.empty() ? kPortRecordsBrokenBeforeAny : kPortRecordsBrokenAfterSome;
    }
    records.push_back(record);
  }
  return kPortRecordsListed;
}

int EnumPrinterPortRecords(std::vector<std::wstring>& descriptions, std::vector<std::wstring>& ports) {
  std::vector<UsbPortRecord> records;
  const int result = ReadUsbPortRecords(records);
  for (const UsbPortRecord& record : records) {
    descriptions.push_back(record.description);
    ports.push_back(record.port);
  }
  return result;
}

std::vector<std::wstring> SeriesUsbPorts() {
  std::vector<UsbPortRecord> records;
  ReadUsbPortRecords(records);
  std::vector<std::wstring> ports;
  for (const UsbPortRecord& record : records) {
    if (IsAcceptedUsbInstanceId(record.instancePath)) ports.push_back(record.port);
  }
  return ports;
}

std::wstring FindPrinterUsbHardwareId(const std::wstring& model) {
  std::wstring hardwareId;
  CRegistryKey devices(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!devices.OpenSubKey(kUsbPrintDevicesKeyPath, 0)) return hardwareId;
  for (const std::wstring& name : CRegistryKey::SubKeyNames(devices.GetKey())) {
    if (!UsbDeviceNameMatchesModel(name, model)) continue;
    const std::wstring devicePath = kUsbPrintDevicesKeyPath + L"\\" + ToUpperAscii(name);
    // A read-only search creates nothing in the device tree.
    CRegistryKey device(HKEY_LOCAL_MACHINE, kSearchAccess);
    if (!device.OpenSubKey(devicePath, 0)) continue;
    for (const std::wstring& instanceName : CRegistryKey::SubKeyNames(device.GetKey())) {
      CRegistryKey instance(HKEY_LOCAL_MACHINE, kSearchAccess);
      if (!instance.OpenSubKey(devicePath + L"\\" + instanceName, 0)) continue;
      // "HardwareID" is a list; the read keeps its first text. A failed read keeps the last result.
      instance.GetStringValue(L"HardwareID", hardwareId);
    }
  }
  return hardwareId;
}

int ScanLptPrinters(const std::wstring& providerName, const std::wstring& seriesCode, std::wstring& model) {
  int count = 0;
  CRegistryKey devices(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!devices.OpenSubKey(kLptDevicesKeyPath, 0)) return 0;
  const std::wstring needle = ToUpperAscii(providerName + seriesCode);
  for (const std::wstring& name : CRegistryKey::SubKeyNames(devices.GetKey())) {
    const std::wstring upper = ToUpperAscii(name);
    if (upper.find(needle) == std::wstring::npos) continue;
    const std::wstring devicePath = kLptDevicesKeyPath + L"\\" + upper;
    CRegistryKey device(HKEY_LOCAL_MACHINE, kSearchAccess);
    if (!device.OpenSubKey(devicePath, 0)) continue;
    for (const std::wstring& instanceName : CRegistryKey::SubKeyNames(device.GetKey())) {
      CRegistryKey instance(HKEY_LOCAL_MACHINE, kSearchAccess);
      if (!instance.OpenSubKey(devicePath + L"\\" + instanceName, 0)) continue;
      std::wstring manufacturer;
      // A manufacturer value means the system has already installed this device.
      if (instance.GetStringValue(L"Mfg", manufacturer)) {
        win::Log(L"detection: parallel-port device %s\\%s: installed already (Mfg \"%s\")", upper, instanceName,
                 manufacturer);
        continue;
      }
      ++count;
      std::wstring hardwareId;
      if (instance.GetStringValue(L"HardwareID", hardwareId)) model = LptModelFromHardwareId(hardwareId, seriesCode);
      win::Log(L"detection: parallel-port device %s\\%s, hardware id \"%s\": not installed yet", upper,
               instanceName, hardwareId);
    }
  }
  win::Log(L"detection: %d parallel-port printer(s) of the brand not installed yet", count);
  return count;
}
