#include "shell/install_page.h"

#include <commctrl.h>

#include "core/installed_printers.h"
#include "install/driver_commands.h"
#include "install/printer_settings.h"
#include "res/resource.h"
#include "win/app.h"
#include "win/setup_log.h"

namespace {

// Each label reads: its text, one blank, one tab, then the value.
const wchar_t kLabelGap[] = L" \t";

}  // namespace

CInstallPage::CInstallPage(HWND parent, CSetupSettings& settings, const InstallContext& context)
    : CWizardPage(IDD_INSTALL_PAGE, parent), m_settings(settings), m_context(context) {}

CInstallPage::~CInstallPage() = default;

void CInstallPage::DoDataExchange(bool) { m_progress = GetDlgItem(IDC_INSTALL_PROGRESS); }

BOOL CInstallPage::OnInitDialog() {
  CWizardPage::OnInitDialog();
  ApplyTitleFont(IDC_INSTALL_TITLE, m_font.Get());
  SetDlgItemText(IDC_INSTALL_TEST_PAGE, win::LoadStringResource(IDS_PRINT_TEST_PAGE));
  return TRUE;
}

bool CInstallPage::OnCommand(WORD id, WORD code, HWND) {
  if (code != BN_CLICKED) return false;
  if (id == IDC_INSTALL_TEST_PAGE) {
    OnPrintTestPage();
    return true;
  }
  if (id == IDC_INSTALL_SETTINGS) {
    OnPrinterSettings();
    return true;
  }
  return false;
}

bool CInstallPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_SENDTESTPAGE) {
    result = OnSendTestPage(wParam, lParam);
    return true;
  }
  return false;
}

void CInstallPage::OnSetActive() { RunInstall(); }

void CInstallPage::OnAfterNext() {
  // After the install: Finish, and Back to try again after a failure.
  if (m_pSheet) {
    m_pSheet->SetWizardButtons(CWizardDialog::kFinish |
                               (m_nResult != InstallResult::kSuccess ? CWizardDialog::kBack : 0u));
  }
}

int CInstallPage::OnWizardBack() {
  if (m_pSheet) m_pSheet->SetWizardButtons(CWizardDialog::kBack | CWizardDialog::kNext | CWizardDialog::kCancel);
  return 0;
}

void CInstallPage::ReportStep(std::wstring text, int steps, BOOL blink) {
  if (blink) ShowDlgItem(IDC_INSTALL_STATUS, SW_HIDE);
  PumpWait(0, 10);
  SetDlgItemText(IDC_INSTALL_STATUS, text);
  if (blink) ShowDlgItem(IDC_INSTALL_STATUS, SW_SHOW);
  PumpWait(0, 10);
  for (int i = 0; i < steps; ++i) {
    if (m_progress) ::SendMessageW(m_progress, PBM_STEPIT, 0, 0);
    PumpWait(25, 5);
  }
}

void CInstallPage::RunInstall() {
  if (m_pSheet) m_pSheet->SetWindowText(win::LoadStringResource(IDS_INSTALL_CAPTION));
  ReportStep(std::wstring(), 0, TRUE);
  ShowDlgItem(IDC_INSTALL_NAME, SW_HIDE);
  ShowDlgItem(IDC_INSTALL_PORT, SW_HIDE);
  // A new run offers no test page until it has installed a printer of its own.
  ShowDlgItem(IDC_INSTALL_TEST_PAGE, SW_HIDE);
  SetDlgItemText(IDC_INSTALL_TITLE, win::LoadStringResource(IDS_INSTALL_TITLE));
  SetDlgItemText(IDC_INSTALL_NAME, win::LoadStringResource(IDS_LABEL_NAME));
  SetDlgItemText(IDC_INSTALL_PORT, win::LoadStringResource(IDS_LABEL_PORT));
  SetDlgItemText(IDC_INSTALL_MODEL, win::LoadStringResource(IDS_LABEL_MODEL));
  ShowDlgItem(IDC_INSTALL_NAME, SW_SHOW);
  ShowDlgItem(IDC_INSTALL_PORT, SW_SHOW);
  m_strHelperFile = kHelperFileName;
  m_strServiceName = kHelperServiceName;
  if (m_progress) {
    ::SendMessageW(m_progress, PBM_SETRANGE, 0, MAKELPARAM(1, 100));
    ::SendMessageW(m_progress, PBM_SETSTEP, 1, 0);
    ::SendMessageW(m_progress, PBM_SETPOS, 0, 0);
  }
  // Nothing can be pressed while the install runs.
  if (m_pSheet) m_pSheet->SetWizardButtons(0);

  // Until the sequence says otherwise the run has failed: a step that ends in an exception leaves
  // a failure behind, never the success of an earlier run, whatever Finish then reports.
  m_bHasRun = true;
  m_nResult = InstallResult::kUnknownError;
  m_nResult = InstallPrinter();
  win::Log(L"install result %d: %s", static_cast<int>(m_nResult), DescribeResult(m_nResult));
  if (m_nResult == InstallResult::kSuccess) {
    m_bHasInstalled = true;
    InstallHelperService();
    ReportStep(win::LoadStringResource(IDS_INSTALL_SUCCESS), 0, TRUE);
    // Someone who has just installed a printer expects to be offered a test page.
    if (!m_strInstalledPrinter.empty()) ShowDlgItem(IDC_INSTALL_TEST_PAGE, SW_SHOW);
  } else {
    if (m_progress) ::SendMessageW(m_progress, PBM_SETPOS, 100, 0);
    if (m_nResult == InstallResult::kPowerCyclePrinter) m_settings.g_nModelQueryCount = 0;
    const std::wstring message = MessageTextForResult(m_nResult, m_context);
    if (m_progress) ::SendMessageW(m_progress, PBM_SETPOS, 100, 0);
    ReportStep(win::LoadStringResource(IDS_INSTALL_FAILED), 0, TRUE);
    win::AppMessageBox(m_hWnd, message, MB_OK | MB_ICONERROR);
  }
  if (m_pSheet) m_pSheet->SetWindowText(win::LoadStringResource(IDS_INSTALL_DONE_CAPTION));
}

InstallResult CInstallPage::InstallPrinter() {
  InstallRun run;
  run.printersBefore.swap(m_arrPrintersBefore);
  run.printersAfter.swap(m_arrPrintersAfter);
  run.installedPrinter = m_strInstalledPrinter;
  const InstallResult result = ::InstallPrinter(m_settings, m_settings, m_context, *this, run);
  m_arrPrintersBefore.swap(run.printersBefore);
  m_arrPrintersAfter.swap(run.printersAfter);
  m_strInstalledPrinter = run.installedPrinter;
  return result;
}

void CInstallPage::HideTarget() {
  ShowDlgItem(IDC_INSTALL_NAME, SW_HIDE);
  ShowDlgItem(IDC_INSTALL_PORT, SW_HIDE);
}

void CInstallPage::ShowTarget(const std::wstring& name, const std::wstring& port, const std::wstring& model) {
  ShowDlgItem(IDC_INSTALL_NAME, SW_SHOW);
  ShowDlgItem(IDC_INSTALL_PORT, SW_SHOW);
  SetDlgItemText(IDC_INSTALL_NAME, win::LoadStringResource(IDS_LABEL_NAME) + kLabelGap + name);
  SetDlgItemText(IDC_INSTALL_PORT, win::LoadStringResource(IDS_LABEL_PORT) + kLabelGap + port);
  SetDlgItemText(IDC_INSTALL_MODEL, win::LoadStringResource(IDS_LABEL_MODEL) + kLabelGap + model);
}

void CInstallPage::ShowInstalledPrinter(const std::wstring& name) {
  SetDlgItemText(IDC_INSTALL_NAME, win::LoadStringResource(IDS_LABEL_NAME) + kLabelGap + name);
}

void CInstallPage::CompleteProgress() {
  if (m_progress) {
    while (::SendMessageW(m_progress, PBM_GETPOS, 0, 0) < 100) {
      ::SendMessageW(m_progress, PBM_STEPIT, 0, 0);
      PumpWait(20, 10);
    }
  }
  ::UpdateWindow(m_hWnd);
}

int CInstallPage::InstallHelperService() {
  HelperOutcome helper;
  const int ran = ::InstallHelperService(m_settings, m_settings, *this, m_strHelperFile, m_strServiceName, &helper);
  // What was installed is recorded, and listed in Programs and Features, as an unattended run does.
  if (!m_strInstalledPrinter.empty()) {
    const std::wstring port = m_settings.g_ePortType == Connection::kLpt ? std::wstring(L"LPT1:") : m_settings.g_strPortName;
    RecordInstalledPrinter(m_settings, m_settings, m_strInstalledPrinter, port, helper);
  }
  return ran;
}

void CInstallPage::OnEndSession() { EndInstallForSessionEnd(); }

void CInstallPage::OnPrinterSettings() { ApplyPrinterDefaultSettings(m_strInstalledPrinter, m_hWnd); }

void CInstallPage::OnPrintTestPage() {
  // One dialog and one test page per click: a click that reaches the page while the dialog is up
  // (queued before the dialog disabled the wizard) does nothing.
  if (m_strInstalledPrinter.empty() || m_pTestPageDialog != nullptr) return;
  win::Log(L"test page for \"%s\"", m_strInstalledPrinter);
  ::PostMessageW(m_hWnd, WM_SENDTESTPAGE, 0, 0);
  // Owned by the wizard's frame and modal to it: the wizard cannot be used under the dialog, and
  // the dialog stays in front of it.
  CPrintTestPageDialog dialog(m_pSheet != nullptr ? m_pSheet->m_hWnd : ::GetParent(m_hWnd));
  dialog.SetPrinterName(m_strInstalledPrinter);
  m_pTestPageDialog = &dialog;
  dialog.DoModal();
  m_pTestPageDialog = nullptr;
}

LRESULT CInstallPage::OnSendTestPage(WPARAM, LPARAM) {
  // Sent from the dialog's loop; a stray message with no dialog up sends nothing.
  CPrintTestPageDialog* dialog = m_pTestPageDialog;
  if (dialog == nullptr) return 0;
  dialog->SetBusy(true);
  PrintTestPage(m_strInstalledPrinter);
  dialog->SetBusy(false);
  return 0;
}

CPrintTestPageDialog::CPrintTestPageDialog(HWND parent) : win::CDialog(IDD_PRINT_TEST_PAGE, parent) {}

BOOL CPrintTestPageDialog::OnInitDialog() {
  win::CDialog::OnInitDialog();
  SetDlgItemText(IDC_TEST_PAGE_TEXT, win::LoadStringResource(IDS_TEST_PAGE_TEXT));
  SetWindowText(m_strPrinterName);
  return TRUE;
}

void CPrintTestPageDialog::SetBusy(bool busy) {
  m_bBusy = busy;
  if (busy || m_nPendingEnd == 0) return;
  const INT_PTR end = m_nPendingEnd;
  m_nPendingEnd = 0;
  EndDialog(end);
}

void CPrintTestPageDialog::OnOK() {
  if (m_bBusy) {
    m_nPendingEnd = IDOK;
    return;
  }
  win::CDialog::OnOK();
}

void CPrintTestPageDialog::OnCancel() {
  if (m_bBusy) {
    m_nPendingEnd = IDCANCEL;
    return;
  }
  win::CDialog::OnCancel();
}
