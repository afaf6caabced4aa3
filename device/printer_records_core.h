// Text rules of the printer device records: how a device's symbolic name leads to its printer
// port record, how port names and driver subkey names are formed, and how names and hardware ids
// of USB and parallel-port devices are matched and turned into model texts.
#pragma once

#include <string>
#include <vector>

// The USB printer interface class as it appears in registry paths (lower case).
extern const wchar_t kUsbPrintInterfaceClassText[];

// The part of a device's interface key that identifies the device. From the "SymbolicName" value:
// when it holds a "{", what stands before the first "{", and of that, when it holds "USB", what
// starts at the first "USB". When that leaves nothing, the instance path with every backslash
// turned into "#" and one "#" appended.
std::wstring InterfacePartFromSymbolicName(const std::wstring& symbolicName, const std::wstring& instancePath);

// "##?#" + part + the interface class: the subkey of the printer interface class key that holds
// the port record.
std::wstring InterfaceKeyName(const std::wstring& interfacePart);

// "USB001", "USB012", "USB1234".
std::wstring UsbPortName(unsigned long portNumber);

// A port description such as "KESTROM KQ-80" names its printer after the first space:
// "KQ-80". False when the (trimmed) description holds no space.
bool PrinterNameFromPortDescription(const std::wstring& description, std::wstring& name);

// Whether a USBPRINT device name belongs to the model described by `model`: the name in capitals
// without "_" contains the model in capitals without spaces. A model that is empty that way (no
// description) matches no device: it would otherwise match the first device of any maker.
bool UsbDeviceNameMatchesModel(const std::wstring& deviceName, const std::wstring& model);

// Whether an instance key of a USBPRINT device belongs to the printer on `port` ("USB001"): the
// USB printing service names a printer's instance after its port, "7&2A3B4C5D&0&USB001".
// Compared without regard to the case of A to Z; an empty port matches nothing.
bool UsbPrintInstanceServesPort(const std::wstring& instanceName, const std::wstring& port);

// The model text of a parallel-port hardware id: drop its last 4 characters, remove every "_",
// then keep what starts at the last occurrence of the series code (case-sensitive), if any.
std::wstring LptModelFromHardwareId(const std::wstring& hardwareId, const std::wstring& seriesCode);

// The largest number among driver subkey names read as decimal numbers (leading digits; a name
// that does not start with a digit counts as 0); -1 for no names at all.
int LargestSubkeyNumber(const std::vector<std::wstring>& names);

// "%04d" of the number.
std::wstring DriverSubkeyName(int number);

// One registry value written into the printer class key: a text (REG_SZ) or a number (REG_DWORD).
struct RecordValue {
  std::wstring name;
  bool isNumber;
  std::wstring text;
  unsigned long number;
};

extern const wchar_t kPrinterClassGuidText[];  // "{4D36E979-E325-11CE-BFC1-08002BE10318}"

// Where Windows keeps the printers' device keys and the printer class, below HKEY_LOCAL_MACHINE.
extern const std::wstring kUsbPrintDevicesKeyPath;  // "SYSTEM\CurrentControlSet\Enum\USBPRINT"
extern const std::wstring kLptDevicesKeyPath;       // "SYSTEM\CurrentControlSet\Enum\LPTENUM"
extern const std::wstring kPrinterClassKeyPath;     // "SYSTEM\CurrentControlSet\Control\Class\" + the class

// The values of the printer class key itself, in the order they are written.
std::vector<RecordValue> PrinterClassValues();

// The side values that describe the device for the helper service, in the order they are written.
// `driverSubkey` is the new driver subkey's name (empty when it could not be made), `deviceKeyPath`
// the device's key below HKEY_LOCAL_MACHINE.
std::vector<RecordValue> UsbSideValues(const std::wstring& modelDesc, const std::wstring& providerName,
                                       const std::wstring& driverSubkey, const std::wstring& deviceKeyPath);
std::vector<RecordValue> LptSideValues(const std::wstring& modelDesc, const std::wstring& providerName,
                                       const std::wstring& seriesCode, const std::wstring& driverSubkey,
                                       const std::wstring& deviceKeyPath);
