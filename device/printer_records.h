// The printer device records the system keeps in the registry, read: which USB printers the
// system's printing service lists, on which ports, with which descriptions and hardware ids, and
// which parallel-port printers of the brand wait for a driver. What detection makes of them is the
// core's decision (core/detection_run.h); writing the records after an install is
// device/device_records_writer.h.
#pragma once

#include <string>
#include <vector>

// Result codes of EnumPrinterPortRecords.
enum : int {
  kPortRecordsListed = 0,
  kPortRecordsNoDevice = 1,
  kPortRecordsBrokenBeforeAny = 2,
  kPortRecordsNoEnumKey = 10,
  kPortRecordsBrokenAfterSome = 11,
};

// True when the USB printing service has at least one enumerated device.
bool IsPrinterUsbEnumerated();

// One device the USB printing service lists: its device instance path, its port description and
// its port name ("USB001").
struct UsbPortRecord {
  std::wstring instancePath;
  std::wstring description;
  std::wstring port;
};

// The records of every device the USB printing service lists, in its order, up to the first that
// cannot be read. Returns one of the kPortRecords codes.
int ReadUsbPortRecords(std::vector<UsbPortRecord>& records);

// Lists the description and the port name ("USB001") of every device the USB printing service
// serves, in step. Returns one of the kPortRecords codes.
int EnumPrinterPortRecords(std::vector<std::wstring>& descriptions, std::vector<std::wstring>& ports);

// The ports of the listed devices that are printers of the series (their instance path carries
// one of the series' USB vendor ids), in the service's order.
std::vector<std::wstring> SeriesUsbPorts();

// The "HardwareID" (first text) of the USB printer device whose name matches the model text, or
// an empty text; when several match, the last one read wins.
std::wstring FindPrinterUsbHardwareId(const std::wstring& model);

// Counts the parallel-port printers of the brand (device names holding `providerName` followed by
// `seriesCode`, in any letter case) that are not installed yet (no "Mfg") and leaves in `model` the
// model taken from the hardware id of the last of them.
int ScanLptPrinters(const std::wstring& providerName, const std::wstring& seriesCode, std::wstring& model);
