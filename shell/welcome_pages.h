// The first two pages: the welcome page and the cable-guide page.
#pragma once

#include "controls/link_label.h"
#include "core/setup_settings.h"
#include "shell/wizard.h"
#include "win/handles.h"

class CWelcomePage : public CWizardPage {
 public:
  // The brand's name comes from `package`.
  CWelcomePage(HWND parent, const CPackageSettings& package);
  void OnSetActive() override;

 protected:
  BOOL OnInitDialog() override;
  // The welcome page keeps the system's dialog colours: only the link colours itself.
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void DoDataExchange(bool save) override;
  bool PreTranslateMessage(MSG* msg) override;

 private:
  const CPackageSettings& m_package;
  CLinkLabel m_link;
};

class CCableGuidePage : public CWizardPage {
 public:
  // Next chooses the USB connection in `choice`, as the page tells the person to plug in.
  CCableGuidePage(HWND parent, CRunChoice& choice);
  void OnSetActive() override;
  int OnWizardNext() override;

 protected:
  BOOL OnInitDialog() override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;

 private:
  CRunChoice& m_choice;
};
