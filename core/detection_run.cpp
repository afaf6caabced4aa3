#include "core/detection_run.h"

#include <windows.h>

#include <exception>
#include <vector>

#include "device/model_query.h"
#include "device/printer_name_core.h"
#include "device/printer_records.h"
#include "device/printer_records_core.h"
#include "device/usb_printer_core.h"
#include "win/format_core.h"
#include "win/setup_log.h"

namespace {

constexpr DWORD kDetectWindowMs = 3000;
constexpr int kWaitRounds = 11;

}  // namespace

const wchar_t* DescribeIdentification(Identification result) {
  switch (result) {
    case Identification::kIdentified: return L"identified";
    case Identification::kNoPrinterOfTheSeries: return L"no printer of the series";
    case Identification::kNoNameInDescription: return L"its port description names no printer";
    case Identification::kNoModel: return L"it reported no model";
  }
  return L"unknown";
}

Identification IdentifyPrinterOnUsb(const CPackageSettings& package, CRunChoice& run) {
  std::vector<UsbPortRecord> records;
  const int listed = ReadUsbPortRecords(records);
  win::Log(L"detection: the USB printing service lists %d device(s) (result %d)",
           static_cast<unsigned long>(records.size()), listed);
  // Ours is the first of the series' vendors. Another maker's printer must never lend it its name
  // or its port, nor be taken for ours when it is attached alone: our driver would go onto its port.
  const UsbPortRecord* chosen = nullptr;
  for (const UsbPortRecord& record : records) {
    const bool accepted = IsAcceptedUsbInstanceId(record.instancePath);
    const wchar_t* verdict = accepted ? (chosen == nullptr ? L"taken" : L"passed over: a printer of the series comes first")
                                      : L"passed over: not a vendor of the series";
    win::Log(L"detection: device %s, port %s, description \"%s\": %s", record.instancePath, record.port,
             record.description, verdict);
    if (accepted && chosen == nullptr) chosen = &record;
  }
  if (chosen == nullptr) return Identification::kNoPrinterOfTheSeries;

  const std::wstring description = chosen->description;
  const std::wstring hardwareId = ToUpperAscii(FindPrinterUsbHardwareId(description));
  run.g_strModelDesc = description;

  Identification result = Identification::kIdentified;
  const bool marked =
      !package.g_strQueryMarker.empty() && hardwareId.find(package.g_strQueryMarker) != std::wstring::npos;
  if (marked) {
    try {
      // The device is asked once per run; a failed or refused identification is counted, so that
      // later runs do not keep a person waiting on a printer that does not answer.
      const bool firstAttempt = run.g_nModelQueryCount == 0;
      bool answered = true;
      std::wstring model;
      if (firstAttempt) {
        int code = 0;
        answered = QueryPrinterModel(model, code) == 1;
      }
      model = TrimWhiteSpace(model);
      run.g_strModelDesc = package.g_strProviderName + L"Printer";
      // A reply that ends before its model (or holds nothing a printer name can keep) names
      // nothing: that is no identification either.
      const bool named = AssignCleanPrinterName(run.g_strPrinterName, model);
      if (!answered || !firstAttempt || !named) {
        run.g_strPrinterName = L"Unknown";
        run.g_nModelQueryCount += 1;
        result = Identification::kNoModel;
      }
    } catch (const std::exception&) {
      result = Identification::kNoModel;
    }
  } else {
    std::wstring name;
    // A name that cleans to nothing (only quotes and commas) leaves the printer unnamed.
    if (!PrinterNameFromPortDescription(description, name) || !AssignCleanPrinterName(run.g_strPrinterName, name)) {
      result = Identification::kNoNameInDescription;
    }
  }
  run.g_strPortName = chosen->port;
  win::Log(L"detection: identification: %s; printer name \"%s\", model \"%s\", port %s",
           DescribeIdentification(result), run.g_strPrinterName, run.g_strModelDesc, run.g_strPortName);
  return result;
}

bool FindSeriesUsbPrinter(UsbPortRecord& printer) {
  std::vector<UsbPortRecord> records;
  ReadUsbPortRecords(records);
  for (const UsbPortRecord& record : records) {
    if (!IsAcceptedUsbInstanceId(record.instancePath)) continue;
    printer = record;
    return true;
  }
  return false;
}

std::wstring FindSeriesUsbPort() {
  UsbPortRecord printer;
  return FindSeriesUsbPrinter(printer) ? printer.port : std::wstring();
}

DetectionOutcome RunDetection(const CPackageSettings& package, CRunChoice& run, IDetectionReporter& reporter) {
  DetectionOutcome outcome = {false, 0};
  run.g_strPortName.clear();
  run.g_strModelDesc.clear();
  win::Log(L"detection: watching for a USB printer for up to 3 seconds");
  const DWORD start = ::GetTickCount();
  bool enumerated = false;
  for (int round = 0;; round = (round + 1) % kWaitRounds) {
    if (IsPrinterUsbEnumerated()) {
      enumerated = true;
      outcome.identified = IdentifyPrinterOnUsb(package, run) == Identification::kIdentified;
      break;
    }
    reporter.WaitForUsb(round);
    if (::GetTickCount() - start >= kDetectWindowMs) break;
  }
  if (!enumerated) win::Log(L"detection: the USB printing service lists no device");

  if (!outcome.identified) {
    std::wstring lptModel;
    outcome.lptPrinters = ScanLptPrinters(package.g_strProviderName, package.g_strSeriesCode, lptModel);
    AssignCleanPrinterName(run.g_strPrinterName, outcome.lptPrinters == 1 ? lptModel : package.g_strDriverDesc);
  }
  win::Log(L"detection: %s; proposed name \"%s\"",
           outcome.identified ? L"a USB printer of the series was identified" : L"no USB printer of the series identified",
           run.g_strPrinterName);
  return outcome;
}
