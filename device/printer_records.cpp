#include "device/printer_records.h"

#include <windows.h>

#include <exception>

#include "device/model_query.h"
#include "device/printer_name_core.h"
#include "device/printer_records_core.h"
#include "device/usb_printer_core.h"
#include "package/registry_key.h"
#include "win/format_core.h"
#include "win/setup_log.h"

namespace {

constexpr REGSAM kSearchAccess = KEY_READ;
constexpr REGSAM kWriteAccess = KEY_READ | KEY_WRITE;

const std::wstring kUsbPrintEnumKey = L"SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";
const std::wstring kDeviceEnumKey = L"SYSTEM\\CurrentControlSet\\Enum\\";
const std::wstring kUsbPrintDevicesKey = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT";
const std::wstring kLptDevicesKey = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM";
const std::wstring kPrinterInterfacesKey =
    std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\") + kUsbPrintInterfaceClassText + L"\\";
const std::wstring kPrinterClassKey =
    std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\Class\\") + kPrinterClassGuidText;

// Subkey names of `key` in enumeration order, bounded by the count taken first.
std::vector<std::wstring> SubKeyNames(HKEY key) {
  std::vector<std::wstring> names;
  const int count = CRegistryKey::CountSubKeys(key);
  CRegistryKey::ListSubKeys(key, &names, count + 1);
  return names;
}

bool ReadUsbDeviceCount(DWORD& count, bool& keyOpened) {
  CRegistryKey key(HKEY_LOCAL_MACHINE, kSearchAccess);
  keyOpened = key.OpenSubKey(kUsbPrintEnumKey, 0) != FALSE;
  if (!keyOpened) return false;
  return key.GetDwordValue(L"Count", count) != FALSE;
}

// One device the USB printing service lists: its device instance path, its port description and
// its port name.
struct PortRecord {
  std::wstring instancePath;
  std::wstring description;
  std::wstring port;
};

// The description and port name of the device the USB printing service lists as number `index`;
// false when one of its records cannot be opened.
bool ReadPortRecord(DWORD index, std::wstring& instancePath, std::wstring& description, std::wstring& port) {
  CRegistryKey enumKey(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!enumKey.OpenSubKey(kUsbPrintEnumKey, 0)) return false;
  if (!enumKey.GetStringValue(FormatString(L"%d", index), instancePath) || instancePath.empty()) return false;

  CRegistryKey parameters(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!parameters.OpenSubKey(kDeviceEnumKey + instancePath + L"\\Device Parameters", 0)) return false;
  std::wstring symbolicName;
  parameters.GetStringValue(L"SymbolicName", symbolicName);
  const std::wstring interfacePart = InterfacePartFromSymbolicName(symbolicName, instancePath);

  CRegistryKey portKey(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!portKey.OpenSubKey(kPrinterInterfacesKey + InterfaceKeyName(interfacePart) + L"\\#\\Device Parameters", 0)) {
    return false;
  }
  DWORD portNumber = 1;
  if (!portKey.GetDwordValue(L"Port Number", portNumber)) portNumber = 1;
  port = UsbPortName(portNumber);
  description.clear();
  portKey.GetStringValue(L"Port Description", description);
  return true;
}

// The records of every device the USB printing service lists, in its order, up to the first that
// cannot be read. Returns one of the kPortRecords codes.
int ReadPortRecords(std::vector<PortRecord>& records) {
  DWORD count = 0;
  bool keyOpened = false;
  if (!ReadUsbDeviceCount(count, keyOpened)) {
    if (!keyOpened) return kPortRecordsNoEnumKey;
    count = 0;
  }
  if (count == 0) return kPortRecordsNoDevice;
  for (DWORD index = 0; index < count; ++index) {
    PortRecord record;
    if (!ReadPortRecord(index, record.instancePath, record.description, record.port)) {
      return records.empty() ? kPortRecordsBrokenBeforeAny : kPortRecordsBrokenAfterSome;
    }
    records.push_back(record);
  }
  return kPortRecordsListed;
}

// The ports of the listed devices that are printers of the series (their instance path carries
// one of the series' vendor ids): only their device keys are ever written.
std::vector<std::wstring> SeriesUsbPorts() {
  std::vector<PortRecord> records;
  ReadPortRecords(records);
  std::vector<std::wstring> ports;
  for (const PortRecord& record : records) {
    if (IsAcceptedUsbInstanceId(record.instancePath)) ports.push_back(record.port);
  }
  return ports;
}

// Whether the USBPRINT device at `devicePath` has an instance on one of `ports`.
bool DeviceServesOneOf(const std::wstring& devicePath, const std::vector<std::wstring>& ports) {
  CRegistryKey device(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!device.OpenSubKey(devicePath, 0)) return false;
  for (const std::wstring& instance : SubKeyNames(device.GetKey())) {
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
// driver subkey. Returns the driver subkey's name, empty when the class key cannot be opened.
std::wstring WriteClassAndDriverRecords(const std::wstring& matchingDeviceId, const std::wstring& providerName,
                                        const std::wstring& driverDesc) {
  CRegistryKey classKey(HKEY_LOCAL_MACHINE, kWriteAccess);
  if (!classKey.OpenSubKey(kPrinterClassKey, 1)) {
    win::Log(L"device records: the printer class key cannot be opened");
    return std::wstring();
  }
  const std::vector<std::wstring> names = SubKeyNames(classKey.GetKey());
  if (names.empty()) WriteValues(classKey, PrinterClassValues());
  const std::wstring driverSubkey = DriverSubkeyName(LargestSubkeyNumber(names) + 1);

  CRegistryKey driverKey(HKEY_LOCAL_MACHINE, kWriteAccess);
  if (!driverKey.OpenKeyUnder(classKey.GetKey(), driverSubkey, kWriteAccess, 1)) return driverSubkey;
  driverKey.SetStringValue(L"ProviderName", providerName, REG_SZ);
  driverKey.SetStringValue(L"MatchingDeviceId", matchingDeviceId, REG_SZ);
  driverKey.SetStringValue(L"DriverDesc", driverDesc, REG_SZ);
  win::Log(L"device records: driver subkey %s\\%s (MatchingDeviceId \"%s\")%s", kPrinterClassKey, driverSubkey,
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
  for (const std::wstring& name : SubKeyNames(devices.GetKey())) {
    const std::wstring upper = ToUpperAscii(name);
    if (upper.find(needle) == std::wstring::npos && !(modelRule && UsbDeviceNameMatchesModel(name, needle))) continue;
    if (!isCandidate(devicesKey + L"\\" + upper)) continue;
    deviceName = upper;
    return true;
  }
  return false;
}

}  // namespace

bool IsPrinterUsbEnumerated() {
  DWORD count = 0;
  bool keyOpened = false;
  return ReadUsbDeviceCount(count, keyOpened) && count >= 1;
}

int EnumPrinterPortRecords(std::vector<std::wstring>& descriptions, std::vector<std::wstring>& ports) {
  std::vector<PortRecord> records;
  const int result = ReadPortRecords(records);
  for (const PortRecord& record : records) {
    descriptions.push_back(record.description);
    ports.push_back(record.port);
  }
  return result;
}

std::wstring FindPrinterUsbHardwareId(const std::wstring& model) {
  std::wstring hardwareId;
  CRegistryKey devices(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!devices.OpenSubKey(kUsbPrintDevicesKey, 0)) return hardwareId;
  for (const std::wstring& name : SubKeyNames(devices.GetKey())) {
    if (!UsbDeviceNameMatchesModel(name, model)) continue;
    const std::wstring devicePath = kUsbPrintDevicesKey + L"\\" + ToUpperAscii(name);
    // A read-only search creates nothing in the device tree.
    CRegistryKey device(HKEY_LOCAL_MACHINE, kSearchAccess);
    if (!device.OpenSubKey(devicePath, 0)) continue;
    for (const std::wstring& instanceName : SubKeyNames(device.GetKey())) {
      CRegistryKey instance(HKEY_LOCAL_MACHINE, kSearchAccess);
      if (!instance.OpenSubKey(devicePath + L"\\" + instanceName, 0)) continue;
      // "HardwareID" is a list; the read keeps its first text. A failed read keeps the last result.
      instance.GetStringValue(L"HardwareID", hardwareId);
    }
  }
  return hardwareId;
}

std::wstring FindSeriesUsbPort() {
  const std::vector<std::wstring> ports = SeriesUsbPorts();
  return ports.empty() ? std::wstring() : ports.front();
}

int IdentifyPrinterOnUsb(CSetupSettings& settings) {
  std::vector<PortRecord> records;
  const int listed = ReadPortRecords(records);
  win::Log(L"detection: the USB printing service lists %d device(s) (result %d)",
           static_cast<unsigned long>(records.size()), listed);
  // Ours is the first of the series' vendors. Another maker's printer must never lend it its name
  // or its port, nor be taken for ours when it is attached alone: our driver would go onto its port.
  const PortRecord* chosen = nullptr;
  for (const PortRecord& record : records) {
    const bool accepted = IsAcceptedUsbInstanceId(record.instancePath);
    const wchar_t* verdict = accepted ? (chosen == nullptr ? L"taken" : L"passed over: a printer of the series comes first")
                                      : L"passed over: not a vendor of the series";
    win::Log(L"detection: device %s, port %s, description \"%s\": %s", record.instancePath, record.port,
             record.description, verdict);
    if (accepted && chosen == nullptr) chosen = &record;
  }
  if (chosen == nullptr) return kIdentifyNoPort;

  const std::wstring description = chosen->description;
  const std::wstring hardwareId = ToUpperAscii(FindPrinterUsbHardwareId(description));
  settings.g_strModelDesc = description;

  int result = kIdentified;
  const bool marked =
      !settings.g_strQueryMarker.empty() && hardwareId.find(settings.g_strQueryMarker) != std::wstring::npos;
  if (marked) {
    try {
      // The device is asked once per run; a failed or refused identification is counted, so that
      // later runs do not keep a person waiting on a printer that does not answer.
      const bool firstAttempt = settings.g_nModelQueryCount == 0;
      bool answered = true;
      std::wstring model;
      if (firstAttempt) {
        int code = 0;
        answered = QueryPrinterModel(model, code) == 1;
      }
      model = TrimWhiteSpace(model);
      settings.g_strModelDesc = settings.g_strProviderName + L"Printer";
      // A reply that ends before its model (or holds nothing a printer name can keep) names
      // nothing: that is no identification either.
      const bool named = AssignCleanPrinterName(settings.g_strPrinterName, model);
      if (!answered || !firstAttempt || !named) {
        settings.g_strPrinterName = L"Unknown";
        settings.g_nModelQueryCount += 1;
        result = kIdentifyNoModel;
      }
    } catch (const std::exception&) {
      result = kIdentifyNoModel;
    }
  } else {
    std::wstring name;
    // A name that cleans to nothing (only quotes and commas) leaves the printer unnamed.
    if (!PrinterNameFromPortDescription(description, name) || !AssignCleanPrinterName(settings.g_strPrinterName, name)) {
      result = kIdentifyNoNameInDescription;
    }
  }
  settings.g_strPortName = chosen->port;
  win::Log(L"detection: identification result %d: printer name \"%s\", model \"%s\", port %s", result,
           settings.g_strPrinterName, settings.g_strModelDesc, settings.g_strPortName);
  return result;
}

int ScanLptPrinters(std::wstring& model) {
  int count = 0;
  CRegistryKey devices(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!devices.OpenSubKey(kLptDevicesKey, 0)) return 0;
  const std::wstring seriesCode = SetupSettings.g_strSeriesCode;
  const std::wstring needle = ToUpperAscii(SetupSettings.g_strProviderName + seriesCode);
  for (const std::wstring& name : SubKeyNames(devices.GetKey())) {
    const std::wstring upper = ToUpperAscii(name);
    if (upper.find(needle) == std::wstring::npos) continue;
    const std::wstring devicePath = kLptDevicesKey + L"\\" + upper;
    CRegistryKey device(HKEY_LOCAL_MACHINE, kSearchAccess);
    if (!device.OpenSubKey(devicePath, 0)) continue;
    for (const std::wstring& instanceName : SubKeyNames(device.GetKey())) {
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

void WritePrinterUsbRecords(const std::wstring& hardwareId) {
  const CSetupSettings settings = SetupSettings;
  const std::wstring driverSubkey = WriteClassAndDriverRecords(L"usbprint\\" + hardwareId, settings.g_strProviderName,
                                                               settings.g_strDriverDesc);
  // Only the device keys of printers of the series are candidates: the helper service writes the
  // side values into the device found here, and another maker's printer must never get them.
  const std::vector<std::wstring> seriesPorts = SeriesUsbPorts();
  const auto isSeriesPrinter = [&](const std::wstring& devicePath) { return DeviceServesOneOf(devicePath, seriesPorts); };
  std::wstring deviceName;
  if (!FindFirstDevice(kUsbPrintDevicesKey, ToUpperAscii(settings.g_strModelDesc), true, isSeriesPrinter, deviceName)) {
    win::Log(L"device records: no USB printer device of the series matches \"%s\"; no side values",
             settings.g_strModelDesc);
    return;
  }
  const std::wstring deviceKeyPath = kUsbPrintDevicesKey + L"\\" + deviceName;
  CRegistryKey device(HKEY_LOCAL_MACHINE, kSearchAccess);
  if (!device.OpenSubKey(deviceKeyPath, 1)) return;
  CRegistryKey classKey(HKEY_LOCAL_MACHINE, kWriteAccess);
  if (!classKey.OpenSubKey(kPrinterClassKey, 1)) return;
  WriteValues(classKey, UsbSideValues(settings.g_strModelDesc, settings.g_strProviderName, driverSubkey, deviceKeyPath));
  win::Log(L"device records: side values for %s", deviceKeyPath);
}

void WriteLptPrinterRecords(const std::wstring& hardwareId) {
  const CSetupSettings settings = SetupSettings;
  const std::wstring driverSubkey = WriteClassAndDriverRecords(L"LPTENUM\\" + hardwareId, settings.g_strProviderName,
                                                               settings.g_strDriverDesc);
  std::wstring deviceName;
  const std::wstring needle = ToUpperAscii(settings.g_strSeriesCode + settings.g_strPrinterSuffix);
  if (!FindFirstDevice(kLptDevicesKey, needle, false, [](const std::wstring&) { return true; }, deviceName)) {
    win::Log(L"device records: no parallel-port device matches \"%s\"; no side values", needle);
    return;
  }
  const std::wstring deviceKeyPath = kLptDevicesKey + L"\\" + deviceName;
  CRegistryKey classKey(HKEY_LOCAL_MACHINE, kWriteAccess);
  if (!classKey.OpenSubKey(kPrinterClassKey, 1)) return;
  WriteValues(classKey, LptSideValues(settings.g_strModelDesc, settings.g_strProviderName, settings.g_strSeriesCode,
                                      driverSubkey, deviceKeyPath));
  win::Log(L"device records: side values for %s", deviceKeyPath);
}
