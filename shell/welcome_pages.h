// The first two pages: the welcome page and the cable-guide page.
#pragma once

#include "controls/link_label.h"
#include "shell/wizard.h"
#include "win/handles.h"

class CWelcomePage : public CWizardPage {
 public:
  explicit CWelcomePage(HWND parent);
  void OnSetActive() override;
  BOOL DestroyWindow() override;

 protected:
  // The welcome page keeps the system's dialog colours: it bypasses the white page colouring and
  // starts from the plain dialog initialisation.
  BOOL OnInitDialog() override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void DoDataExchange(bool save) override;
  bool PreTranslateMessage(MSG* msg) override;

 private:
  CLinkLabel m_link;
  HFONT m_pTitleFont = nullptr;
};

class CCableGuidePage : public CWizardPage {
 public:
  explicit CCableGuidePage(HWND parent);
  void OnSetActive() override;
  int OnWizardNext() override;

 protected:
  BOOL OnInitDialog() override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
};
