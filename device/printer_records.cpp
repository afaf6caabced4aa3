#include "device/printer_records.h"
bool IsPrinterUsbEnumerated() { return false; }
int IdentifyPrinterOnUsb(CSetupSettings&) { return 1; }
int ScanLptPrinters(std::wstring&) { return 0; }
void WritePrinterUsbRecords(const std::wstring&) {}
void WriteLptPrinterRecords(const std::wstring&) {}
