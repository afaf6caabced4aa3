// Placeholder until the device records land.
#pragma once
#include <string>
#include <vector>
#include "shell/setup_settings.h"
bool IsPrinterUsbEnumerated();
int IdentifyPrinterOnUsb(CSetupSettings& settings);
int ScanLptPrinters(std::wstring& model);
void WritePrinterUsbRecords(const std::wstring& hardwareId);
void WriteLptPrinterRecords(const std::wstring& hardwareId);
