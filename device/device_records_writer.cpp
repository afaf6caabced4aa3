#include "device/device_records_writer.h"

#include <windows.h>

#include <vector>

#include "device/printer_records.h"
#include "device/printer_records_core.h"
#include "package/registry_key.h"
#include "win/format_core.h"
#include "win/setup_log.h"

namespace {

constexpr REGSAM kSearchAccess = KEY_READ;
constexpr REGSAM kWriteAccess = KEY_READ | KEY_WRITE;

// Whether the USBPRINT device at `devicePath` has an instance on one of `ports`.
bool DeviceServesOneOf(const std::wstring& devicePath, const std::vector<std::wstring>& ports) {
  CRegistryKey device(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!device.OpenSubKey(devicePath, 0)) return false;
  for (const std::wstring& instance : CRegistryKey::SubKeyNames(device.GetKey())) {
    for (const std::wstring& port : ports) {
      if (UsbPrintInstanceServesPort(instance, port)) return true;
    }
  }
  return false;
}

void WriteValues(CRegistryKey& key, const std::vector<RecordValue>& values) {
  // A value that cannot be written is passed over; the next one is still tried.
  for (const RecordValue& value : values) {
    if (value.isNumber) {
      key.SetDwordValue(value.name, static_cast<DWORD>(value.number));
    } else {
      key.SetStringValue(value.name, value.text, REG_SZ);
    }
  }
}

// First half of both writers: the class record when the class key is new, and the next numbered
// driver subkey. Returns the driver subkey's name, empty when the class key cannot be opened;
// `written` tells whether the subkey itself was made.
std::wstring WriteClassAndDriverRecords(const std::wstring& matchingDeviceId, const DeviceRecordValues& values,
                                        bool& written) {
  written = false;
  CRegistryKey classKey(HKEY_LOCAL_MACHINE, kWriteAccess);
  if (!classKey.OpenSubKey(kPrinterClassKeyPath, 1)) {
    win::Log(L"device records: the printer class key cannot be opened");
    return std::wstring();
  }
  const std::vector<std::wstring> names = CRegistryKey::SubKeyNames(classKey.GetKey());
  if (names.empty()) WriteValues(classKey, PrinterClassValues());
  const std::wstring driverSubkey = DriverSubkeyName(LargestSubkeyNumber(names) + 1);

  CRegistryKey driverKey(HKEY_LOCAL_MACHINE, kWriteAccess);
  if (!driverKey.OpenKeyUnder(classKey.GetKey(), driverSubkey, kWriteAccess, 1)) return driverSubkey;
  written = true;
  driverKey.SetStringValue(L"ProviderName", values.providerName, REG_SZ);
  driverKey.SetStringValue(L"MatchingDeviceId", matchingDeviceId, REG_SZ);
  driverKey.SetStringValue(L"DriverDesc", values.driverDesc, REG_SZ);
  win::Log(L"device records: driver subkey %s\\%s (MatchingDeviceId \"%s\")%s", kPrinterClassKeyPath, driverSubkey,
           matchingDeviceId, names.empty() ? L", with the class values" : L"");
  return driverSubkey;
}

// Name (in capitals) of the first device subkey of `devicesKey` whose capitalised name contains
// `needle` and that `isCandidate` accepts; false when none does, the needle is empty or the key
// cannot be opened. With `modelRule`, a name also matches by the rule the identification uses
// for USB devices: the system builds their names from manufacturer and model with the spaces
// turned into "_", so a description such as "KESTROM KQ-80" never stands in them as it is.
template <typename Candidate>
bool FindFirstDevice(const std::wstring& devicesKey, const std::wstring& needle, bool modelRule,
                     const Candidate& isCandidate, std::wstring& deviceName) {
  // An empty needle is in every name: it would pick the first device of any maker.
  if (needle.empty()) return false;
  CRegistryKey devices(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!devices.OpenSubKey(devicesKey, 0)) return false;
  for (const std::wstring& name : CRegistryKey::SubKeyNames(devices.GetKey())) {
    const std::wstring upper = ToUpperAscii(name);
    if (upper.find(needle) == std::wstring::npos && !(modelRule && UsbDeviceNameMatchesModel(name, needle))) continue;
    if (!isCandidate(devicesKey + L"\\" + upper)) continue;
    deviceName = upper;
    return true;
  }
  return false;
}

// The driver subkey's path when it was made.
std::wstring DriverKeyPath(const std::wstring& driverSubkey, bool written) {
  return written ? kPrinterClassKeyPath + L"\\" + driverSubkey : std::wstring();
}

}  // namespace

DeviceRecordsWritten WritePrinterUsbRecords(const DeviceRecordValues& values) {
  bool madeDriverKey = false;
  const std::wstring driverSubkey = WriteClassAndDriverRecords(L"usbprint\\" + values.hardwareId, values, madeDriverKey);
  DeviceRecordsWritten written = {DriverKeyPath(driverSubkey, madeDriverKey), std::wstring()};
  // Only the device keys of printers of the series are candidates: the helper service writes the
  // side values into the device found here, and another maker's printer must never get them.
  const std::vector<std::wstring> seriesPorts = SeriesUsbPorts();
  const auto isSeriesPrinter = [&](const std::wstring& devicePath) { return DeviceServesOneOf(devicePath, seriesPorts); };
  std::wstring deviceName;
  if (!FindFirstDevice(kUsbPrintDevicesKeyPath, ToUpperAscii(values.modelDesc), true, isSeriesPrinter, deviceName)) {
    win::Log(L"device records: no USB printer device of the series matches \"%s\"; no side values", values.modelDesc);
    return written;
  }
  const std::wstring deviceKeyPath = kUsbPrintDevicesKeyPath + L"\\" + deviceName;
  CRegistryKey device(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!device.OpenSubKey(deviceKeyPath, 1)) return written;
  CRegistryKey classKey(HKEY_LOCAL_MACHINE, kWriteAccess);
  if (!classKey.OpenSubKey(kPrinterClassKeyPath, 1)) return written;
  WriteValues(classKey, UsbSideValues(values.modelDesc, values.providerName, driverSubkey, deviceKeyPath));
  win::Log(L"device records: side values for %s", deviceKeyPath);
  written.deviceKey = deviceKeyPath;
  return written;
}

DeviceRecordsWritten WriteLptPrinterRecords(const DeviceRecordValues& values) {
  bool madeDriverKey = false;
  const std::wstring driverSubkey = WriteClassAndDriverRecords(L"LPTENUM\\" + values.hardwareId, values, madeDriverKey);
  DeviceRecordsWritten written = {DriverKeyPath(driverSubkey, madeDriverKey), std::wstring()};
  std::wstring deviceName;
  const std::wstring needle = ToUpperAscii(values.seriesCode + values.printerSuffix);
  if (!FindFirstDevice(kLptDevicesKeyPath, needle, false, [](const std::wstring&) { return true; }, deviceName)) {
    win::Log(L"device records: no parallel-port device matches \"%s\"; no side values", needle);
    return written;
  }
  const std::wstring deviceKeyPath = kLptDevicesKeyPath + L"\\" + deviceName;
  CRegistryKey classKey(HKEY_LOCAL_MACHINE, kWriteAccess);
  if (!classKey.OpenSubKey(kPrinterClassKeyPath, 1)) return written;
  WriteValues(classKey, LptSideValues(values.modelDesc, values.providerName, values.seriesCode, driverSubkey,
                                      deviceKeyPath));
  win::Log(L"device records: side values for %s", deviceKeyPath);
  written.deviceKey = deviceKeyPath;
  return written;
}

namespace {

// The side values' names (see UsbSideValues and LptSideValues).
const wchar_t* const kSideValueNames[] = {L"_ToPath",     L"_UpdateMode", L"_BrandSeries", L"_DeviceDesc", L"_ConfigFlags",
                                          L"_ClassGUID",  L"_Driver",     L"_Class",       L"_Mfg"};

std::wstring TextOf(CRegistryKey& key, const wchar_t* name) {
  std::wstring text;
  key.GetStringValue(name, text);
  return text;
}

// The instances of a device below `deviceKey` whose "Driver" names `driverReference`.
bool RemoveDriverReferences(const std::wstring& deviceKey, const std::wstring& driverReference) {
  CRegistryKey device(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!device.OpenSubKey(deviceKey, 0)) return true;
  bool removed = true;
  for (const std::wstring& name : CRegistryKey::SubKeyNames(device.GetKey())) {
    CRegistryKey instance(HKEY_LOCAL_MACHINE, kWriteAccess);
    if (!instance.OpenSubKey(deviceKey + L"\\" + name, 0)) continue;
    if (!EqualsIgnoreAsciiCase(TextOf(instance, L"Driver"), driverReference)) continue;
    if (instance.DeleteValue(L"Driver")) {
      win::Log(L"device records: removed the driver reference of %s\\%s", deviceKey, name);
    } else {
      removed = false;
    }
  }
  return removed;
}

}  // namespace

bool RemoveDeviceRecords(const std::wstring& driverKey, const std::wstring& deviceKey, const std::wstring& providerName,
                         const std::wstring& driverDesc) {
  bool removed = true;
  const std::wstring classPrefix = kPrinterClassKeyPath + L"\\";
  const bool ourClassSubkey = driverKey.size() > classPrefix.size() && EqualsIgnoreAsciiCase(driverKey.substr(0, classPrefix.size()), classPrefix);
  if (ourClassSubkey) {
    CRegistryKey driver(HKEY_LOCAL_MACHINE, kSearchAccess);
    if (driver.OpenSubKey(driverKey, 0)) {
      const bool ours = TextOf(driver, L"ProviderName") == providerName && TextOf(driver, L"DriverDesc") == driverDesc;
      driver.AttachKey(nullptr);
      if (!ours) {
        win::Log(L"device records: %s names another driver now: left alone", driverKey);
      } else if (CRegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, driverKey, 0)) {
        win::Log(L"device records: removed %s", driverKey);
      } else {
        win::Log(L"device records: %s could not be removed", driverKey);
        removed = false;
      }
    }
    if (!deviceKey.empty()) {
      const std::wstring reference = std::wstring(kPrinterClassGuidText) + L"\\" + driverKey.substr(classPrefix.size());
      removed = RemoveDriverReferences(deviceKey, reference) && removed;
    }
  }
  CRegistryKey classKey(HKEY_LOCAL_MACHINE, kWriteAccess);
  if (!deviceKey.empty() && classKey.OpenSubKey(kPrinterClassKeyPath, 0) &&
      EqualsIgnoreAsciiCase(TextOf(classKey, L"_ToPath"), deviceKey)) {
    for (const wchar_t* name : kSideValueNames) classKey.DeleteValue(name);
    win::Log(L"device records: removed the side values for %s, which the helper had not moved", deviceKey);
  }
  return removed;
}
