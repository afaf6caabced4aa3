// One printer queue as the spooler keeps it: its port and driver, pointing it at another port, and
// removing it and, when no queue uses it any more, its driver. What update and removal of an
// installed printer do with the spooler.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct PrinterQueue {
  std::wstring name;
  std::wstring port;
  std::wstring driver;
};

// Every local printer queue with its port and driver, in the spooler's order; false (with the
// error) when the spooler does not answer.
bool ListPrinterQueues(std::vector<PrinterQueue>& queues, DWORD& error);

// The queue named `name` (the spooler compares names without regard to case); false when there is
// none or it cannot be read.
bool FindPrinterQueue(const std::wstring& name, PrinterQueue& queue);

// Points the queue at `port`, keeping everything else about it (its settings, its driver, its
// sharing); false with the error when the spooler refuses.
bool SetPrinterQueuePort(const std::wstring& name, const std::wstring& port, DWORD& error);

// Removes the queue; false with the error when it cannot be removed.
bool DeletePrinterQueue(const std::wstring& name, DWORD& error);

// Whether a queue uses the driver `driver`.
bool IsPrinterDriverInUse(const std::wstring& driver);

// Removes the driver `driver` of the spooler's `environment` ("Windows x64": a 32-bit program on
// 64-bit Windows would otherwise reach the drivers for 32-bit Windows), with the files no other
// driver needs; false with the error when the spooler refuses (ERROR_PRINTER_DRIVER_IN_USE, say).
bool DeletePrinterDriver(const std::wstring& driver, const std::wstring& environment, DWORD& error);
