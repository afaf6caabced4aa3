// The printer device records the system keeps in the registry: reading them to find and identify
// the attached printer, and writing the printer class and device records after an install.
#pragma once

#include <string>
#include <vector>

#include "shell/setup_settings.h"

// Result codes of EnumPrinterPortRecords.
enum : int {
  kPortRecordsListed = 0,
  kPortRecordsNoDevice = 1,
  kPortRecordsBrokenBeforeAny = 2,
  kPortRecordsNoEnumKey = 10,
  kPortRecordsBrokenAfterSome = 11,
};

// Result codes of IdentifyPrinterOnUsb.
enum : int {
  kIdentified = 0,
  kIdentifyNoPort = 1,
  kIdentifyNoNameInDescription = 3,
  kIdentifyNoModel = 50,
};

// True when the USB printing service has at least one enumerated device.
bool IsPrinterUsbEnumerated();

// Lists the description and the port name ("USB001") of every device the USB printing service
// serves, in step. Returns one of the kPortRecords codes.
int EnumPrinterPortRecords(std::vector<std::wstring>& descriptions, std::vector<std::wstring>& ports);

// The "HardwareID" (first text) of the USB printer device whose name matches the model text, or
// an empty text; when several match, the last one read wins.
std::wstring FindPrinterUsbHardwareId(const std::wstring& model);

// Identifies the attached USB printer of the series from its records and, for printers whose
// hardware id holds the query marker, from the device itself (once per run, counted in
// g_nModelQueryCount). Only a device whose instance carries one of the series' USB vendor ids is
// ever identified: another maker's printer attached alone is no printer of ours
// (kIdentifyNoPort). Fills g_strModelDesc, g_strPrinterName (always cleaned) and g_strPortName.
// Returns one of the kIdentify codes.
int IdentifyPrinterOnUsb(CSetupSettings& settings);

// The port ("USB001") of the first printer of the series the USB printing service lists now;
// empty when it lists none.
std::wstring FindSeriesUsbPort();

// Counts the parallel-port printers of the brand that are not installed yet (no "Mfg") and leaves
// in `model` the model taken from the hardware id of the last of them.
int ScanLptPrinters(std::wstring& model);

// After an install: the printer class record, a new numbered driver subkey and, when the device's
// key is found, the side values the helper service moves into the device's own key.
void WritePrinterUsbRecords(const std::wstring& hardwareId);
void WriteLptPrinterRecords(const std::wstring& hardwareId);
