// Writes into HKEY_LOCAL_MACHINE the records a Windows system keeps for an enumerated USB printer
// and for parallel-port printer devices, as the wizard's detection reads them. Used in-process by
// tests (with a redirected HKEY_LOCAL_MACHINE) and by the kqseed tool inside a Wine prefix.
#pragma once

#include <windows.h>

#include <string>

namespace kqseed {

// The demo printer: a USB printer described "KESTROM KQ-80" on port USB001, whose device carries
// the hardware id of the sample package's USB model line.
struct UsbPrinterSeed {
  std::wstring portDescription = L"KESTROM KQ-80";
  // "USBPRINT\<device>": the device subkey below Enum\USBPRINT is the part after the backslash.
  std::wstring hardwareId = L"USBPRINT\\KESTROMKQ-80E5A1";
  DWORD portNumber = 1;
  // Device instance the USB printing service lists; empty: "USB\VID_5E1A&PID_0001\5&1A2B&0&<n>"
  // with n the device's position in the service's list.
  std::wstring instancePath;
  bool withSymbolicName = true;
  bool withPortNumber = true;
  bool withPortDescription = true;
};

// Appends one device to the USB printing service's list ("Count" grows by one) and writes its
// instance, interface and USBPRINT records. False when a key could not be written.
bool SeedUsbPrinter(const UsbPrinterSeed& seed = UsbPrinterSeed());

// Sets (or, with `present` false, removes) the service's "Count" value alone.
bool SetUsbPrintCount(DWORD count, bool present = true);

// A parallel-port printer device: Enum\LPTENUM\<deviceName>\<instanceName> with "HardwareID"
// (a list: "LPTENUM\<deviceName>", then the name alone) and, for an installed one, "Mfg".
struct LptPrinterSeed {
  std::wstring deviceName = L"KESTROMKQ-80_3E1A";
  std::wstring instanceName = L"LPT1.0";
  // Empty: "LPTENUM\" + deviceName.
  std::wstring hardwareId;
  bool withMfg = false;
  std::wstring mfg = L"KESTROM";
};
bool SeedLptPrinter(const LptPrinterSeed& seed = LptPrinterSeed());

// Removes every record the functions above write: the service's list, the USB instance keys of
// the series' vendors, the printer interface records, Enum\USBPRINT and Enum\LPTENUM.
// On a real Windows these are the machine's own device records: it refuses (false, nothing
// deleted) unless it runs under Wine.
bool ClearSeededRecords();

// Removes the printer setup class key with its driver subkeys and side values (what an install
// writes), so that a demo or test can start over. Refuses outside Wine, as ClearSeededRecords.
bool ClearPrinterClassRecords();

// True under Wine (its ntdll exports wine_get_version), where the records are a prefix's own.
bool RunningUnderWine();
// Tests: act as on a real Windows.
void PretendOutsideWineForTesting(bool outside);

}  // namespace kqseed
