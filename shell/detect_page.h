// The printer detection page: watches for a USB printer, identifies it, falls back to the
// parallel port and the INF's model, and proposes a printer name.
#pragma once

#include <string>

#include "core/detection_run.h"
#include "core/setup_settings.h"
#include "shell/wizard.h"

// The detection run's face for a person: an animated status line, the proposed name to edit and
// the choice of connection.
class CDetectPage : public CWizardPage, private IDetectionReporter {
 public:
  // What the page learns and what the person chooses goes into `settings`.
  CDetectPage(HWND parent, CSetupSettings& settings);
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
  Connection SelectedConnection() const { return IsUsbSelected() ? Connection::kUsb : Connection::kLpt; }

  CSetupSettings& m_settings;
};
