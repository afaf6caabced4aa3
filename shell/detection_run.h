// The detection run, with two faces: the detection page (an animated status line, the window
// answering meanwhile) and the unattended install (the setup log only). For up to three seconds it
// watches whether the system's USB printing service has enumerated a device; when one shows up it
// has the printer identified; otherwise it looks at the parallel-port records, and the name to
// propose falls back to the INF's model.
#pragma once

#include "shell/setup_settings.h"

class IDetectionReporter {
 public:
  virtual ~IDetectionReporter() = default;
  // No USB device yet: the `round`-th wait of about half a second (0, 1, ... 10, then 0 again).
  virtual void WaitForUsb(int round) = 0;
};

struct DetectionOutcome {
  bool identified;  // a USB printer of the series was identified; its name is g_strPrinterName
  int lptPrinters;  // parallel-port printers of the brand not installed yet (when not identified)
};

// Runs the detection on `settings`: g_strPrinterName ends as the name to propose (the identified
// printer's, else the one parallel-port printer's model, else the INF's model), and
// g_strModelDesc, g_strPortName and g_nModelQueryCount as the identification leaves them.
DetectionOutcome RunDetection(CSetupSettings& settings, IDetectionReporter& reporter);
