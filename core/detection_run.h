// The detection run, with two faces: the detection page (an animated status line, the window
// answering meanwhile) and the unattended install (the setup log only). For up to three seconds it
// watches whether the system's USB printing service has enumerated a device; when one shows up it
// has the printer identified; otherwise it looks at the parallel-port records, and the name to
// propose falls back to the INF's model. Here, too, are the decisions detection makes: which
// printer is ours, on which port, and what it is called.
#pragma once

#include <string>

#include "core/setup_settings.h"
#include "device/printer_records.h"

class IDetectionReporter {
 public:
  virtual ~IDetectionReporter() = default;
  // No USB device yet: the `round`-th wait of about half a second (0, 1, ... 10, then 0 again).
  virtual void WaitForUsb(int round) = 0;
};

// How the identification of the attached USB printer ended. The values are the wizard's own codes.
enum class Identification : int {
  kIdentified = 0,
  kNoPrinterOfTheSeries = 1,   // no listed device is a printer of the series (or none is listed)
  kNoNameInDescription = 3,    // its port description names no printer
  kNoModel = 50,               // a printer that reports only a generic model gave none
};

// What the setup log says of an identification.
const wchar_t* DescribeIdentification(Identification result);

// Identifies the attached USB printer of the series from its records and, for printers whose
// hardware id holds the package's query marker, from the device itself (once per run, counted in
// `run.g_nModelQueryCount`). Only a device whose instance carries one of the series' USB vendor ids
// is ever identified: another maker's printer attached alone is no printer of ours. Fills the
// run's model description, printer name (always cleaned) and port.
Identification IdentifyPrinterOnUsb(const CPackageSettings& package, CRunChoice& run);

// The first printer of the series the USB printing service lists now; false when it lists none.
bool FindSeriesUsbPrinter(UsbPortRecord& printer);
// Its port ("USB001"); empty when there is none.
std::wstring FindSeriesUsbPort();

struct DetectionOutcome {
  bool identified;  // a USB printer of the series was identified; its name is g_strPrinterName
  int lptPrinters;  // parallel-port printers of the brand not installed yet (when not identified)
};

// Runs the detection: `run.g_strPrinterName` ends as the name to propose (the identified
// printer's, else the one parallel-port printer's model, else the INF's model), and
// g_strModelDesc, g_strPortName and g_nModelQueryCount as the identification leaves them. Each run
// starts from no port and no model: what an earlier run found may be gone (unplugged), and an
// install must never go onto a port that detection no longer sees.
DetectionOutcome RunDetection(const CPackageSettings& package, CRunChoice& run, IDetectionReporter& reporter);
