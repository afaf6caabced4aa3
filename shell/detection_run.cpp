#include "shell/detection_run.h"

#include <windows.h>

#include "device/printer_name_core.h"
#include "device/printer_records.h"
#include "win/setup_log.h"

namespace {

constexpr DWORD kDetectWindowMs = 3000;
constexpr int kWaitRounds = 11;

}  // namespace

DetectionOutcome RunDetection(CSetupSettings& settings, IDetectionReporter& reporter) {
  DetectionOutcome outcome = {false, 0};
  win::Log(L"detection: watching for a USB printer for up to 3 seconds");
  const DWORD start = ::GetTickCount();
  bool enumerated = false;
  for (int round = 0;; round = (round + 1) % kWaitRounds) {
    if (IsPrinterUsbEnumerated()) {
      enumerated = true;
      outcome.identified = IdentifyPrinterOnUsb(settings) == kIdentified;
      break;
    }
    reporter.WaitForUsb(round);
    if (::GetTickCount() - start >= kDetectWindowMs) break;
  }
  if (!enumerated) win::Log(L"detection: the USB printing service lists no device");

  if (!outcome.identified) {
    std::wstring lptModel;
    outcome.lptPrinters = ScanLptPrinters(lptModel);
    AssignCleanPrinterName(settings.g_strPrinterName, outcome.lptPrinters == 1 ? lptModel : settings.g_strDriverDesc);
  }
  win::Log(L"detection: %s; proposed name \"%s\"",
           outcome.identified ? L"a USB printer of the series was identified" : L"no USB printer of the series identified",
           settings.g_strPrinterName);
  return outcome;
}
