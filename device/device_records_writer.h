// After an install, the records Windows would keep for the installed printer: the printer class
// record, a new numbered driver subkey and, when the device's key is found, the side values the
// helper service moves into the device's own key. One writer per connection; each takes what it
// writes as parameters and says what it wrote.
#pragma once

#include <string>

// What the records say.
struct DeviceRecordValues {
  std::wstring hardwareId;    // the package's hardware id for the connection ("USBPRINT\KESTROMKQ-80E5A1")
  std::wstring providerName;  // the driver's provider ("KESTROM")
  std::wstring driverDesc;    // the driver's model name ("KESTROM KQ-80")
  std::wstring modelDesc;     // the printer's model description, as detection found it
  // Parallel port: the device name holds the series code and the suffix ("KQ" + "PRINTER").
  std::wstring seriesCode;
  std::wstring printerSuffix;
};

// What was written, as paths below HKEY_LOCAL_MACHINE; empty where nothing was.
struct DeviceRecordsWritten {
  std::wstring driverKey;  // the new numbered driver subkey of the printer class
  std::wstring deviceKey;  // the device key the side values point at
};

DeviceRecordsWritten WritePrinterUsbRecords(const DeviceRecordValues& values);
DeviceRecordsWritten WriteLptPrinterRecords(const DeviceRecordValues& values);

// Removes what the writers above wrote for an installed printer, as far as it is still ours: the
// driver subkey `driverKey` when it still names `providerName` and `driverDesc`; the side values in
// the printer class key when they still point at `deviceKey` (the helper did not run); and below
// `deviceKey`, the "Driver" value of each instance that still points at that driver subkey, so that
// no device names a driver that is gone. Everything else in a device's key is the system's own
// description of the device and stays. False when something of ours could not be removed.
bool RemoveDeviceRecords(const std::wstring& driverKey, const std::wstring& deviceKey, const std::wstring& providerName,
                         const std::wstring& driverDesc);
