// The last wizard page: installs the driver and the printer queue when it is shown, makes the new
// printer the default one, records the device and runs the helper service once.
#pragma once

#include <string>
#include <vector>

#include "shell/wizard.h"
#include "win/dialog.h"

// Posted to the install page while the test-page dialog is up, so that the dialog's own loop
// sends the test page.
constexpr UINT WM_SENDTESTPAGE = WM_USER + 10;

class CInstallPage : public CWizardPage {
 public:
  explicit CInstallPage(HWND parent);
  ~CInstallPage() override;

  void OnSetActive() override;  // runs the installation
  void OnAfterNext() override;
  int OnWizardBack() override;
  BOOL DestroyWindow() override;

  void RunInstall();
  int InstallPrinter();
  int InstallHelperService();
  void ReportStep(std::wstring text, int steps, BOOL blink);

  void OnPrinterSettings();
  void OnPrintTestPage();
  LRESULT OnSendTestPage(WPARAM wParam, LPARAM lParam);

  // The message for an install result code (empty for codes without one).
  static UINT MessageIdForResult(int result);

  const std::wstring& InstalledPrinter() const { return m_strInstalledPrinter; }
  int Result() const { return m_nResult; }

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void DoDataExchange(bool save) override;

 private:
  std::wstring HelperServicePath() const;

  HFONT m_pTitleFont = nullptr;
  std::vector<std::wstring> m_arrPrintersBefore;
  std::vector<std::wstring> m_arrPrintersAfter;
  HWND m_progress = nullptr;
  std::wstring m_strHelperFile;
  std::wstring m_strServiceName;
  std::wstring m_strInstalledPrinter;
  int m_nResult = 0;
};

// The modal dialog shown while the test page is sent; its title is the printer's name.
class CPrintTestPageDialog : public win::CDialog {
 public:
  explicit CPrintTestPageDialog(HWND parent);
  void SetPrinterName(const std::wstring& name) { m_strPrinterName = name; }

 protected:
  BOOL OnInitDialog() override;

 private:
  std::wstring m_strPrinterName;
};
