// Finding and opening the attached USB printer of the series among the USB printer interfaces
// the system presents.
#pragma once

#include <windows.h>
#include <usbprint.h>

#include <cstddef>
#include <string>
#include <vector>

// Room of the interface path buffer, terminator included.
constexpr std::size_t kUsbDevicePathChars = 258;

// Interface path of the printer opened last; OpenPrinterPipe extends it by "\" and the pipe name.
extern wchar_t g_szUsbDevicePath[kUsbDevicePathChars];

// Opens the first accepted printer of the interface class that can be opened (synchronous read
// and write) and copies its interface path into `pathBuffer` (kUsbDevicePathChars characters).
// INVALID_HANDLE_VALUE when there is none; the buffer then keeps what it held unless an accepted
// printer's path was copied before its open failed. The caller closes the handle.
HANDLE FindPrinterOnUsb(const GUID& interfaceClass, wchar_t* pathBuffer);

// FindPrinterOnUsb on the USB printer class with g_szUsbDevicePath.
HANDLE OpenPrinterUsbDevice();

// Opens "<interface path>\<pipeName>" of the printer for overlapped reading and writing, or
// returns INVALID_HANDLE_VALUE.
HANDLE OpenPrinterPipe(const wchar_t* pipeName);

// Test seam: while set, the walk takes its members from this list instead of the setup services
// (member i has the instance id and interface path of entry i); the filter and opening are the
// same. Tests point the interface paths at named pipes served by a fake printer.
struct UsbInterfaceRecord {
  std::wstring instanceId;
  std::wstring interfacePath;
};
void SetUsbEnumerationForTesting(const std::vector<UsbInterfaceRecord>& records);
void ResetUsbEnumerationForTesting();
