// The last wizard page: installs the driver and the printer queue when it is shown, makes the new
// printer the default one, records the device and runs the helper service once.
#pragma once

#include <string>
#include <vector>

#include "core/install_sequence.h"
#include "core/setup_settings.h"
#include "shell/wizard.h"
#include "win/dialog.h"

// Posted to the install page while the test-page dialog is up, so that the dialog's own loop
// sends the test page.
constexpr UINT WM_SENDTESTPAGE = WM_USER + 10;

class CPrintTestPageDialog;

// The install page is the install sequence's face for a person: texts, progress and message boxes.
class CInstallPage : public CWizardPage, private IInstallReporter {
 public:
  // The page runs the install for `settings` (the one record start-up made) as `context` says.
  CInstallPage(HWND parent, CSetupSettings& settings, const InstallContext& context);
  ~CInstallPage() override;

  void OnSetActive() override;  // runs the installation
  void OnAfterNext() override;
  int OnWizardBack() override;
  void OnEndSession() override;

  void RunInstall();
  InstallResult InstallPrinter();
  int InstallHelperService();
  void ReportStep(std::wstring text, int steps, BOOL blink);

  void OnPrinterSettings();
  void OnPrintTestPage();
  LRESULT OnSendTestPage(WPARAM wParam, LPARAM lParam);

  const std::wstring& InstalledPrinter() const { return m_strInstalledPrinter; }
  InstallResult Result() const { return m_nResult; }
  // Whether an install has run on this page, and whether one of the runs succeeded.
  bool HasRun() const { return m_bHasRun; }
  bool HasInstalled() const { return m_bHasInstalled; }

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void DoDataExchange(bool save) override;

 private:
  // IInstallReporter
  HWND MessageOwner() const override { return m_hWnd; }
  void ReportStep(const std::wstring& text, int steps) override { ReportStep(text, steps, TRUE); }
  void HideTarget() override;
  void ShowTarget(const std::wstring& name, const std::wstring& port, const std::wstring& model) override;
  void ShowInstalledPrinter(const std::wstring& name) override;
  void CompleteProgress() override;

  CSetupSettings& m_settings;
  const InstallContext& m_context;
  std::vector<std::wstring> m_arrPrintersBefore;
  std::vector<std::wstring> m_arrPrintersAfter;
  HWND m_progress = nullptr;
  std::wstring m_strHelperFile;
  std::wstring m_strServiceName;
  std::wstring m_strInstalledPrinter;
  InstallResult m_nResult = InstallResult::kSuccess;
  bool m_bHasRun = false;
  bool m_bHasInstalled = false;
  // The test-page dialog while it is up: the test page is sent from inside its modal loop.
  CPrintTestPageDialog* m_pTestPageDialog = nullptr;
};

// The modal dialog shown while the test page is sent; its title is the printer's name. While the
// command runs, OK and Cancel wait for it to end (the window still repaints meanwhile).
class CPrintTestPageDialog : public win::CDialog {
 public:
  explicit CPrintTestPageDialog(HWND parent);
  void SetPrinterName(const std::wstring& name) { m_strPrinterName = name; }
  // While busy, a close asked for is remembered and carried out when the work ends.
  void SetBusy(bool busy);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  std::wstring m_strPrinterName;
  bool m_bBusy = false;
  INT_PTR m_nPendingEnd = 0;  // IDOK or IDCANCEL asked for while busy
};
