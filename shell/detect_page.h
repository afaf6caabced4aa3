// The printer detection page: watches for a USB printer, identifies it, falls back to the
// parallel port and the INF's model, and proposes a printer name.
#pragma once

#include <string>

#include "shell/detection_run.h"
#include "shell/wizard.h"

// The detection run's face for a person: an animated status line, the proposed name to edit and
// the choice of connection.
class CDetectPage : public CWizardPage, private IDetectionReporter {
 public:
  explicit CDetectPage(HWND parent);
  void OnSetActive() override;
  int OnWizardNext() override;

  void Detect();
  void SetStatusText(const std::wstring& text, BOOL redraw);
  void OnConnectionChanged();
  void UpdateConnectionButtons();

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;

 private:
  // IDetectionReporter: the status grows by two dots each half second while the queue drains.
  void WaitForUsb(int round) override;
  void SelectUsb();
  bool IsUsbSelected() const;
};

// True when a hardware id marks a connection the package supports: not empty, and its last four
// characters (the whole id when shorter) are not "FFFF" in any letter case.
bool IsSupportedHardwareId(const std::wstring& hardwareId);
