// The model query over the printer's data pipe "PIPE01": a fixed request, one answer with the
// model name and a model code. Used for printers that report only a generic model.
#pragma once

#include <cstddef>
#include <string>

// Status texts of a single transfer; callers test only whether the text contains "ok".
extern const wchar_t kUsbStatusOk[];          // "/ok/"
extern const wchar_t kUsbStatusFailed[];      // "/error/|/usb/"
extern const wchar_t kUsbStatusOpenFailed[];  // "/error/|/read_usb_data/"

// One write of `count` bytes to the printer's data pipe.
std::wstring WritePrinterUsbData(const unsigned char* data, short count);

// One read of at most 64 bytes (and at most `bufferSize`) from the data pipe into `buffer`.
std::wstring ReadPrinterUsbData(unsigned char* buffer, std::size_t bufferSize);

// Asks the printer for its model. 1 when a reply was read: `model` and `code` are set, to
// "Unknown" and 80 after telling the user when the reply could not be decoded. 0 when a transfer
// failed; `model` and `code` are then untouched.
int QueryPrinterModel(std::wstring& model, int& code);
